#include "contacts/addressbooks_bidirectional_sync_strategy.h"

#include "contacts/card_dav_addressbook.h"
#include "contacts/card_dav_contact.h"
#include "contacts/internal/sync_dates.h"
#include "contacts/outlook_addressbook.h"
#include "contacts/vcard_merge.h"
#include "settings/addin_exception.h"
#include "settings/conflict_copy.h"
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
    try {
        (*server_contact)->Save();
    } catch (const CAddinException& error) {
        if (error.GetKind() != FailureKind::kConflict)
            throw;
        // The server already has this contact (its record was lost): pair the two and compare them as a
        // pair changed on both sides, instead of failing this upload at every run.
        std::shared_ptr<CCardDavContact> existing = m_server_book->LoadContact((*server_contact)->GetHref());
        // Another client's card of the same name is not this contact; it is never written over.
        if (!existing || existing->GetUid() != (*server_contact)->GetUid())
            throw;
        Log("CAddressbooksBidirectionalSyncStrategy::OnNewInOutlook: %s is already on the server; paired.",
            existing->GetHref().c_str());
        *server_contact = std::move(existing);
        *record = IndexRecord{(*server_contact)->GetHref(), entry_id, platform::DateTime::FromValue(0.0)};
        OnSynchronize(outlook_contact, *server_contact, record);
        return;
    }
    *record = IndexRecord{(*server_contact)->GetHref(), entry_id, platform::DateTime::NowLocal()};
    ++m_counters.created_on_server;
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
    ++m_counters.created_in_outlook;
}

bool CAddressbooksBidirectionalSyncStrategy::OnDeleteFromOutlook(
    const std::shared_ptr<COutlookContact>&, const std::shared_ptr<CCardDavContact>& server_contact,
    IndexRecord*) {
    server_contact->Delete();
    ++m_counters.deleted_on_server;
    return true;
}

bool CAddressbooksBidirectionalSyncStrategy::OnDeleteFromServer(
    const std::shared_ptr<COutlookContact>& outlook_contact, const std::shared_ptr<CCardDavContact>&,
    IndexRecord*) {
    outlook_contact->DeleteOutlookContact();
    ++m_counters.deleted_in_outlook;
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
    const bool outlook_wins =
        outlook_changed && (!server_changed || contacts::IsLater(outlook_time, server_time));
    if (server_changed && outlook_changed) {
        ++m_counters.conflicts;
        if (outlook_wins) {
            const std::string kept = KeepConflictCopy(server_contact->GetHref(), server_contact->GetVCard());
            Log("CAddressbooksBidirectionalSyncStrategy::OnSynchronize: %s CONFLICT: changed on both sides, "
                "Outlook's copy wins; the server's copy is kept in %s",
                server_contact->GetHref().c_str(),
                kept.empty() ? "(nowhere: it could not be written)" : kept.c_str());
        } else {
            Log("CAddressbooksBidirectionalSyncStrategy::OnSynchronize: %s CONFLICT: changed on both sides, "
                "the server's copy wins",
                server_contact->GetHref().c_str());
        }
    }
    if (outlook_wins) {
        // Over the copy just listed (the PUT is guarded by its entity tag), so that what the store does
        // not hold survives.
        server_contact->SetVCard(contacts::MergeVCard(
            server_contact->GetVCard(), outlook_contact->GetVCard(server_contact->GetResourceName())));
        server_contact->Save();
        ++m_counters.changed_on_server;
    } else {
        outlook_contact->SetVCard(server_contact->GetVCard());
        outlook_contact->SaveOutlookContact();
        ++m_counters.changed_in_outlook;
    }
    record->synchDate = platform::DateTime::NowLocal();
}
