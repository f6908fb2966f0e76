// Synchronizes the contacts of one paired address book: every Outlook contact, then every server
// contact, each handed to the strategy with its index record.
#pragma once

#include <memory>
#include <string>

#include "contacts/addressbooks_sync_strategy.h"
#include "contacts/internal/unrecorded_contacts.h"
#include "index/sync_index.h"

class CAddressbooksSynchronizer {
  public:
    // The bidirectional strategy for writable books, the master-server strategy for read-only ones.
    static std::shared_ptr<IAddressbooksSyncStrategy> GetStrategy(bool bidirectional);

    // One pair, with the contact index named after the Outlook folder's EntryID. A failing contact does
    // not stop the others: it is logged and counted (as is an index that could not be saved), and the
    // counters of what was done are returned.
    // Each record keeps the contact's entity tag and the Outlook contact's LastModificationTime as they
    // were after the pair was last synchronized; either differing now is a change on that side.
    SyncCounters Synchronize(std::shared_ptr<COutlookAddressbook> outlook_book,
                             std::shared_ptr<CCardDavAddressbook> server_book, bool bidirectional);

    // One contact, either side possibly empty; rewrites the contact's index record.
    void SynchronizeContacts(std::shared_ptr<COutlookContact> outlook_contact,
                             std::shared_ptr<CCardDavContact> server_contact);

  private:
    void FoldOldEntityTags();

    SyncIndex m_index;
    contacts::UnrecordedContacts m_unrecorded;
    std::shared_ptr<IAddressbooksSyncStrategy> m_strategy;
    std::shared_ptr<COutlookAddressbook> m_outlook_book;
    std::shared_ptr<CCardDavAddressbook> m_server_book;
};
