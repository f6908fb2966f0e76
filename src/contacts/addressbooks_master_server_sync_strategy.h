// The strategy of read-only server books: the server copy always prevails and nothing is sent to it.
#pragma once

#include "contacts/addressbooks_bidirectional_sync_strategy.h"

class CAddressbooksMasterServerSyncStrategy : public CAddressbooksBidirectionalSyncStrategy {
  public:
    // Deletes the contact from Outlook; the record stays empty.
    void OnNewInOutlook(const std::shared_ptr<COutlookContact>& outlook_contact,
                        std::shared_ptr<CCardDavContact>* server_contact, IndexRecord* record) override;
    // Restores the contact from the server (a new Outlook contact); keeps the record.
    bool OnDeleteFromOutlook(const std::shared_ptr<COutlookContact>& outlook_contact,
                             const std::shared_ptr<CCardDavContact>& server_contact,
                             IndexRecord* record) override;
    // Deletes the Outlook contact; keeps the record.
    bool OnDeleteFromServer(const std::shared_ptr<COutlookContact>& outlook_contact,
                            const std::shared_ptr<CCardDavContact>& server_contact,
                            IndexRecord* record) override;
    // When either side changed, takes the server copy.
    void OnSynchronize(const std::shared_ptr<COutlookContact>& outlook_contact,
                       const std::shared_ptr<CCardDavContact>& server_contact, IndexRecord* record) override;
};
