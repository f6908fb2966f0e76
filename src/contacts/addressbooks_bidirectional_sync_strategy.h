// The strategy of writable server books: each side's news and deletions go to the other, and a changed
// pair is copied from the side changed last (Outlook only when more than three seconds newer).
#pragma once

#include "contacts/addressbooks_sync_strategy.h"

class CAddressbooksBidirectionalSyncStrategy : public IAddressbooksSyncStrategy {
  public:
    void Initialize(std::shared_ptr<COutlookAddressbook> outlook_book,
                    std::shared_ptr<CCardDavAddressbook> server_book) override;
    // PUTs the contact as <book href><EntryID>.vcf (If-None-Match "*"). When the server already has this
    // card there (412, same UID), pairs with it and synchronizes the pair at once.
    void OnNewInOutlook(const std::shared_ptr<COutlookContact>& outlook_contact,
                        std::shared_ptr<CCardDavContact>* server_contact, IndexRecord* record) override;
    // Creates and saves the Outlook contact. Throws: CAddinException when the saved contact has no
    // EntryID (the pair could not be recorded).
    void OnNewOnServer(std::shared_ptr<COutlookContact>* outlook_contact,
                       const std::shared_ptr<CCardDavContact>& server_contact, IndexRecord* record) override;
    bool OnDeleteFromOutlook(const std::shared_ptr<COutlookContact>& outlook_contact,
                             const std::shared_ptr<CCardDavContact>& server_contact,
                             IndexRecord* record) override;
    bool OnDeleteFromServer(const std::shared_ptr<COutlookContact>& outlook_contact,
                            const std::shared_ptr<CCardDavContact>& server_contact,
                            IndexRecord* record) override;
    void OnSynchronize(const std::shared_ptr<COutlookContact>& outlook_contact,
                       const std::shared_ptr<CCardDavContact>& server_contact, IndexRecord* record) override;

    const SyncCounters& Counters() const override { return m_counters; }

  protected:
    std::shared_ptr<COutlookAddressbook> m_outlook_book;
    std::shared_ptr<CCardDavAddressbook> m_server_book;
    SyncCounters m_counters;
};
