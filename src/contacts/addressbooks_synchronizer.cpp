#include "contacts/addressbooks_synchronizer.h"

#include <optional>
#include <set>

#include "contacts/addressbooks_bidirectional_sync_strategy.h"
#include "contacts/addressbooks_master_server_sync_strategy.h"
#include "contacts/card_dav_addressbook.h"
#include "contacts/outlook_addressbook.h"
#include "index/index_store.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

std::shared_ptr<IAddressbooksSyncStrategy> CAddressbooksSynchronizer::GetStrategy(bool bidirectional) {
    if (bidirectional)
        return std::make_shared<CAddressbooksBidirectionalSyncStrategy>();
    return std::make_shared<CAddressbooksMasterServerSyncStrategy>();
}

void CAddressbooksSynchronizer::Synchronize(std::shared_ptr<COutlookAddressbook> outlook_book,
                                            std::shared_ptr<CCardDavAddressbook> server_book,
                                            bool bidirectional) {
    m_outlook_book = std::move(outlook_book);
    m_server_book = std::move(server_book);
    m_index = OpenAddressBookIndex(m_outlook_book->GetEntryId());
    m_strategy = GetStrategy(bidirectional);
    m_strategy->Initialize(m_outlook_book, m_server_book);

    const SyncIndex tags = OpenAddressBookIndex(m_outlook_book->GetEntryId() + ".etag");
    MarkChangedByEntityTag(tags);

    std::optional<CAddinException> first_error;
    // A pair that failed from the Outlook side is not tried again from the server side in this run.
    std::set<std::string> failed_hrefs;
    // Copies: the strategy appends contacts it creates, which are not visited again.
    const auto outlook_contacts = m_outlook_book->GetContacts();
    for (const auto& contact : outlook_contacts) {
        try {
            SynchronizeContacts(contact, nullptr);
        } catch (const CAddinException& error) {
            if (!first_error)
                first_error = error;
            const IndexRecord record = m_index.FindByOutlookId(contact->GetEntryId());
            if (record.IsFound())
                failed_hrefs.insert(platform::AsciiLower(record.ServerId));
        }
    }
    const auto server_contacts = m_server_book->GetContacts();
    for (const auto& contact : server_contacts) {
        if (failed_hrefs.count(platform::AsciiLower(contact->GetHref())) != 0)
            continue;
        try {
            SynchronizeContacts(nullptr, contact);
        } catch (const CAddinException& error) {
            if (!first_error)
                first_error = error;
            failed_hrefs.insert(platform::AsciiLower(contact->GetHref()));
        }
    }
    KeepEntityTags(tags, failed_hrefs);
    if (!m_index.Save())
        Log("CAddressbooksSynchronizer::Synchronize: Unable to save %s.", m_index.Path().c_str());
    if (first_error)
        throw *first_error;
}

void CAddressbooksSynchronizer::MarkChangedByEntityTag(const SyncIndex& tags) const {
    for (const auto& contact : m_server_book->GetContacts()) {
        if (contact->GetLastModified().value() != 0.0 || contact->GetETag().empty())
            continue;
        const std::string kept = tags.FindByServerId(contact->GetHref()).OutlookId;
        if (!kept.empty() && kept != contact->GetETag())
            contact->SetLastModified(platform::DateTime::NowLocal());
    }
}

// A contact saved in this run has no tag (the server made a new one), so it counts as unchanged next
// time; a failed pair keeps its old tag, so its change is still seen next time.
void CAddressbooksSynchronizer::KeepEntityTags(const SyncIndex& old_tags,
                                               const std::set<std::string>& failed_hrefs) const {
    SyncIndex tags = old_tags;
    for (const IndexRecord& record : old_tags.Records())
        tags.RemoveByServerId(record.ServerId);
    for (const auto& contact : m_server_book->GetContacts()) {
        if (failed_hrefs.count(platform::AsciiLower(contact->GetHref())) != 0) {
            const IndexRecord kept = old_tags.FindByServerId(contact->GetHref());
            if (kept.IsFound())
                static_cast<void>(tags.Add(kept.ServerId, kept.OutlookId, kept.synchDate));
        } else if (!contact->GetETag().empty()) {
            static_cast<void>(
                tags.Add(contact->GetHref(), contact->GetETag(), platform::DateTime::NowLocal()));
        }
    }
    tags.Save();
}

void CAddressbooksSynchronizer::SynchronizeContacts(std::shared_ptr<COutlookContact> outlook_contact,
                                                    std::shared_ptr<CCardDavContact> server_contact) {
    IndexRecord record{"", "", platform::DateTime::FromValue(0.0)};
    if (outlook_contact)
        record = m_index.FindByOutlookId(outlook_contact->GetEntryId());
    if (server_contact)
        record = m_index.FindByServerId(server_contact->GetHref());
    const IndexRecord found = record;
    if (record.IsFound()) {
        if (!outlook_contact)
            outlook_contact = m_outlook_book->FindContact(record.OutlookId);
        if (!server_contact)
            server_contact = m_server_book->FindContact(record.ServerId);
    }

    bool drop_record = false;
    if (!record.IsFound()) {
        if (outlook_contact)
            m_strategy->OnNewInOutlook(outlook_contact, &server_contact, &record);
        else if (server_contact)
            m_strategy->OnNewOnServer(&outlook_contact, server_contact, &record);
    } else if (outlook_contact && !server_contact) {
        drop_record = m_strategy->OnDeleteFromServer(outlook_contact, server_contact, &record);
    } else if (server_contact && !outlook_contact) {
        drop_record = m_strategy->OnDeleteFromOutlook(outlook_contact, server_contact, &record);
    } else if (outlook_contact && server_contact) {
        m_strategy->OnSynchronize(outlook_contact, server_contact, &record);
    }

    if (!record.IsFound())
        return;
    // A pair visited again without change keeps its line; rewriting (and syncing) the whole file for
    // every untouched contact made a run over 1,000 contacts take half a minute.
    if (!drop_record && record.ServerId == found.ServerId && record.OutlookId == found.OutlookId &&
        record.synchDate.value() == found.synchDate.value() &&
        record.synchDate.status() == found.synchDate.status())
        return;
    if (!record.ServerId.empty())
        m_index.RemoveByServerId(record.ServerId);
    if (!record.OutlookId.empty())
        m_index.RemoveByOutlookId(record.OutlookId);
    if (!drop_record && !m_index.Add(record.ServerId, record.OutlookId, record.synchDate))
        Log("CAddressbooksSynchronizer::SynchronizeContacts: The pair of %s is not kept.",
            record.ServerId.c_str());
    // The journal keeps the pair should the run end before the book's Save.
    (void)m_index.AppendChangesToJournal();
}
