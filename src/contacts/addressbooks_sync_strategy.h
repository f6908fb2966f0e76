// What to do with one contact of a paired address book: new on one side, gone from one side, or on
// both. The per-book synchronizer finds the index record and calls exactly one operation per contact.
#pragma once

#include <memory>

#include "index/index_record.h"
#include "settings/sync_counters.h"

class CCardDavAddressbook;
class CCardDavContact;
class COutlookAddressbook;
class COutlookContact;

class IAddressbooksSyncStrategy {
  public:
    virtual ~IAddressbooksSyncStrategy() = default;

    virtual void Initialize(std::shared_ptr<COutlookAddressbook> outlook_book,
                            std::shared_ptr<CCardDavAddressbook> server_book) = 0;
    // An Outlook contact without record; may make the server contact and fill the record.
    virtual void OnNewInOutlook(const std::shared_ptr<COutlookContact>& outlook_contact,
                                std::shared_ptr<CCardDavContact>* server_contact, IndexRecord* record) = 0;
    // A server contact without record; may make the Outlook contact and fill the record.
    virtual void OnNewOnServer(std::shared_ptr<COutlookContact>* outlook_contact,
                               const std::shared_ptr<CCardDavContact>& server_contact,
                               IndexRecord* record) = 0;
    // A paired contact gone from Outlook / from the server. True drops the record for good.
    virtual bool OnDeleteFromOutlook(const std::shared_ptr<COutlookContact>& outlook_contact,
                                     const std::shared_ptr<CCardDavContact>& server_contact,
                                     IndexRecord* record) = 0;
    virtual bool OnDeleteFromServer(const std::shared_ptr<COutlookContact>& outlook_contact,
                                    const std::shared_ptr<CCardDavContact>& server_contact,
                                    IndexRecord* record) = 0;
    // A paired contact on both sides; sets the record's date when it copied one side to the other.
    virtual void OnSynchronize(const std::shared_ptr<COutlookContact>& outlook_contact,
                               const std::shared_ptr<CCardDavContact>& server_contact,
                               IndexRecord* record) = 0;
    // What the calls so far did (failures are the caller's to count).
    virtual const SyncCounters& Counters() const = 0;
};
