#include "contacts/addressbooks_synchronizer.h"

#include <algorithm>
#include <set>

#include "contacts/addressbooks_bidirectional_sync_strategy.h"
#include "contacts/addressbooks_master_server_sync_strategy.h"
#include "contacts/card_dav_addressbook.h"
#include "contacts/outlook_addressbook.h"
#include "index/change_detection.h"
#include "index/index_store.h"
#include "platform/file_system.h"
#include "platform/status_bar.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

bool SameDate(const platform::DateTime& a, const platform::DateTime& b) {
    return a.status() == b.status() && a.value() == b.value();
}

}  // namespace

std::shared_ptr<IAddressbooksSyncStrategy> CAddressbooksSynchronizer::GetStrategy(bool bidirectional) {
    if (bidirectional)
        return std::make_shared<CAddressbooksBidirectionalSyncStrategy>();
    return std::make_shared<CAddressbooksMasterServerSyncStrategy>();
}

SyncCounters CAddressbooksSynchronizer::Synchronize(std::shared_ptr<COutlookAddressbook> outlook_book,
                                                    std::shared_ptr<CCardDavAddressbook> server_book,
                                                    bool bidirectional) {
    m_outlook_book = std::move(outlook_book);
    m_server_book = std::move(server_book);
    m_index = OpenAddressBookIndex(m_outlook_book->GetEntryId());
    m_strategy = GetStrategy(bidirectional);
    m_strategy->Initialize(m_outlook_book, m_server_book);

    FoldOldEntityTags();
    m_unrecorded = contacts::UnrecordedContacts();
    for (const auto& contact : m_server_book->GetContacts()) {
        if (!m_index.FindByServerId(contact->GetHref()).IsFound())
            m_unrecorded.Add(contact);
    }

    int failures = 0;
    const auto count_failure = [&failures](CAddinException error) {
        ++failures;
        Log("CAddressbooksSynchronizer::Synchronize: A contact failed; it is tried again next run. Code: %u. "
            "%s",
            error.GetCode(), error.GetMessage().c_str());
    };
    // A pair that failed from the Outlook side is not tried again from the server side in this run.
    std::set<std::string> failed_hrefs;
    // Copies: the strategy appends contacts it creates, which are not visited again.
    const auto outlook_contacts = m_outlook_book->GetContacts();
    const std::string progress = "Contacts \"" + m_outlook_book->GetName() + "\"";
    // A pair is one item: the server pass counts only the contacts the Outlook pass did not reach.
    std::set<std::string> paired_hrefs;
    for (const auto& contact : outlook_contacts) {
        const IndexRecord record = m_index.FindByOutlookId(contact->GetEntryId());
        if (!record.ServerId.empty())
            paired_hrefs.insert(platform::AsciiLower(record.ServerId));
    }
    const auto server_contacts = m_server_book->GetContacts();
    const auto server_only =
        std::count_if(server_contacts.begin(), server_contacts.end(), [&](const auto& contact) {
            return paired_hrefs.count(platform::AsciiLower(contact->GetHref())) == 0;
        });
    const int total = static_cast<int>(outlook_contacts.size()) + static_cast<int>(server_only);
    int done = 0;
    for (const auto& contact : outlook_contacts) {
        platform::SetStatusBarProgress(progress, done++, total);
        try {
            SynchronizeContacts(contact, nullptr);
        } catch (const CAddinException& error) {
            count_failure(error);
            const IndexRecord record = m_index.FindByOutlookId(contact->GetEntryId());
            if (record.IsFound())
                failed_hrefs.insert(platform::AsciiLower(record.ServerId));
        }
    }
    for (const auto& contact : server_contacts) {
        if (paired_hrefs.count(platform::AsciiLower(contact->GetHref())) == 0)
            platform::SetStatusBarProgress(progress, std::min(done++, total), total);
        if (failed_hrefs.count(platform::AsciiLower(contact->GetHref())) != 0)
            continue;
        try {
            SynchronizeContacts(nullptr, contact);
        } catch (const CAddinException& error) {
            count_failure(error);
            failed_hrefs.insert(platform::AsciiLower(contact->GetHref()));
        }
    }
    platform::SetStatusBarProgress(progress, total, total);
    if (!m_index.Save()) {
        Log("CAddressbooksSynchronizer::Synchronize: Unable to save %s.", m_index.Path().c_str());
        ++failures;
    }
    SyncCounters counters = m_strategy->Counters();
    counters.failures = failures;
    return counters;
}

// Tags were once kept in a file of their own ("<EntryID>.etag.dat", href and tag); they move into the
// records that know none yet, and the old file goes once they are saved.
void CAddressbooksSynchronizer::FoldOldEntityTags() {
    const SyncIndex old_tags = OpenAddressBookIndex(m_outlook_book->GetEntryId() + ".etag");
    if (!platform::PathExists(old_tags.Path()) && !platform::PathExists(old_tags.JournalPath()))
        return;
    for (const IndexRecord& tag : old_tags.Records()) {
        IndexRecord record = m_index.FindByServerId(tag.ServerId);
        if (!record.IsFound() || !record.serverETag.empty())
            continue;
        record.serverETag = tag.OutlookId;
        m_index.RemoveByServerId(record.ServerId);
        (void)m_index.Add(std::move(record));
    }
    if (!m_index.Save())
        return;
    for (const std::string& path : {old_tags.Path(), old_tags.JournalPath()}) {
        if (platform::PathExists(path))
            (void)platform::DeleteOneFile(path);
    }
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
    if (!record.IsFound() && outlook_contact && !server_contact) {
        server_contact = m_unrecorded.Take(outlook_contact->GetUid(), outlook_contact->GetEntryId());
        if (server_contact) {
            // The card this contact was made from or uploaded as, whose record was lost: compare the
            // two (the zero date makes both count as changed) instead of copying each to the other side.
            Log("CAddressbooksSynchronizer::SynchronizeContacts: %s pairs again with %s.",
                outlook_contact->GetEntryId().c_str(), server_contact->GetHref().c_str());
            record = IndexRecord{server_contact->GetHref(), outlook_contact->GetEntryId(),
                                 platform::DateTime::FromValue(0.0)};
        }
    }
    if (!record.IsFound()) {
        if (outlook_contact)
            m_strategy->OnNewInOutlook(outlook_contact, &server_contact, &record);
        else if (server_contact)
            m_strategy->OnNewOnServer(&outlook_contact, server_contact, &record);
    } else if (outlook_contact && !server_contact) {
        // A card the server still has but that could not be read this run is neither deleted here nor
        // written over.
        if (m_server_book->IsUnreadable(record.ServerId)) {
            Log("CAddressbooksSynchronizer::SynchronizeContacts: %s is unreadable; its contact is kept.",
                platform::SanitizeUtf8(record.ServerId).c_str());
            return;
        }
        drop_record = m_strategy->OnDeleteFromServer(outlook_contact, server_contact, &record);
    } else if (server_contact && !outlook_contact) {
        drop_record = m_strategy->OnDeleteFromOutlook(outlook_contact, server_contact, &record);
    } else if (outlook_contact && server_contact) {
        m_strategy->OnSynchronize(outlook_contact, server_contact, &record);
    }

    if (!record.IsFound())
        return;
    // Both sides as they are now, after this run's writes, so that only a later edit counts as one.
    if (server_contact)
        record.serverETag = server_contact->GetETag();
    if (outlook_contact)
        record.outlookLastModified = OutlookModificationToKeep(outlook_contact->GetLastModificationTime());
    // A pair visited again without change keeps its line.
    if (!drop_record && record.ServerId == found.ServerId && record.OutlookId == found.OutlookId &&
        SameDate(record.synchDate, found.synchDate) && record.serverETag == found.serverETag &&
        SameDate(record.outlookLastModified, found.outlookLastModified))
        return;
    if (!record.ServerId.empty())
        m_index.RemoveByServerId(record.ServerId);
    if (!record.OutlookId.empty())
        m_index.RemoveByOutlookId(record.OutlookId);
    if (!drop_record && !m_index.Add(record))
        Log("CAddressbooksSynchronizer::SynchronizeContacts: The pair of %s is not kept.",
            record.ServerId.c_str());
    // The journal keeps the pair should the run end before the book's Save.
    (void)m_index.AppendChangesToJournal();
}
