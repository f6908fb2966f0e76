#include "contacts/addressbooks_bidirectional_sync_strategy.h"

#include "contacts/card_dav_addressbook.h"
#include "contacts/internal/sync_dates.h"
#include "contacts/outlook_addressbook.h"
#include "contacts/vcard_merge.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

void CAddressbooksBidirectionalSyncStrategy::Initialize(std::shared_ptr<COutlookAddressbook> outlook_book,
                                                        std::shared_ptr<CCardDavAddressbook> server_book) {
    m_outlook_book = std::move(outlook_book);
    m_server_book = std::move(server_book);
}

void CAddressbooksBidirectionalSyncStrategy::OnNewInOutlook(
    const std::shared_ptr<COutlookContact>& outlook_contact, std::shared_ptr<CCardDavContact>* server_contact,
    IndexRecord* record) {
    const std::string entry_id = outlook_contact->GetEntryId();
    if (entry_id.empty()) {
        Log("CAddressbooksBidirectionalSyncStrategy::OnNewInOutlook: A contact without EntryID is skipped.");
        return;
    }
    *server_contact = m_server_book->CreateContact(entry_id);
    (*server_contact)->SetVCard(outlook_contact->GetVCard((*server_contact)->GetResourceName()));
    (*server_contact)->Save();
    *record = IndexRecord{(*server_contact)->GetHref(), entry_id, platform::DateTime::NowLocal()};
}

void CAddressbooksBidirectionalSyncStrategy::OnNewOnServer(
    std::shared_ptr<COutlookContact>* outlook_contact, const std::shared_ptr<CCardDavContact>& server_contact,
    IndexRecord* record) {
    *outlook_contact = m_outlook_book->CreateContact();
    (*outlook_contact)->SetVCard(server_contact->GetVCard());
    (*outlook_contact)->SaveOutlookContact();
    const std::string entry_id = (*outlook_contact)->GetEntryId();
    if (entry_id.empty()) {
        Log("CAddressbooksBidirectionalSyncStrategy::OnNewOnServer: The new contact has no EntryID.");
        throw CAddinException(kErrorUnknown,
                              "The contact " + server_contact->GetHref() + " could not be paired.");
    }
    *record = IndexRecord{server_contact->GetHref(), entry_id, platform::DateTime::NowLocal()};
}

bool CAddressbooksBidirectionalSyncStrategy::OnDeleteFromOutlook(
    const std::shared_ptr<COutlookContact>&, const std::shared_ptr<CCardDavContact>& server_contact,
    IndexRecord*) {
    server_contact->Delete();
    return true;
}

bool CAddressbooksBidirectionalSyncStrategy::OnDeleteFromServer(
    const std::shared_ptr<COutlookContact>& outlook_contact, const std::shared_ptr<CCardDavContact>&,
    IndexRecord*) {
    outlook_contact->DeleteOutlookContact();
    return true;
}

void CAddressbooksBidirectionalSyncStrategy::OnSynchronize(
    const std::shared_ptr<COutlookContact>& outlook_contact,
    const std::shared_ptr<CCardDavContact>& server_contact, IndexRecord* record) {
    platform::DateTime server_time = server_contact->GetLastModified();
    const platform::DateTime outlook_time = outlook_contact->GetLastModificationTime();
    const bool server_changed =
        contacts::HasServerSideChanged(*record, server_contact->GetETag(), server_time);
    // A server that lists no modification date (Radicale, Xandikos) changed by its tag: taken as a
    // change made now.
    if (server_changed && server_time.value() == 0.0)
        server_time = platform::DateTime::NowLocal();
    const bool outlook_changed = contacts::HasOutlookSideChanged(*record, outlook_time);
    if (!server_changed && !outlook_changed)
        return;
    // A change on one side only goes to the other whatever the dates say; when both changed, the later
    // modification wins.
    if (outlook_changed && (!server_changed || contacts::IsLater(outlook_time, server_time))) {
        // Over the copy just listed (the PUT is guarded by its entity tag), so that what the store does
        // not hold survives.
        server_contact->SetVCard(contacts::MergeVCard(
            server_contact->GetVCard(), outlook_contact->GetVCard(server_contact->GetResourceName())));
        server_contact->Save();
    } else {
        outlook_contact->SetVCard(server_contact->GetVCard());
        outlook_contact->SaveOutlookContact();
    }
    record->synchDate = platform::DateTime::NowLocal();
}
