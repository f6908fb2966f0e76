#include "contacts/card_dav_synchronizer.h"

#include "contacts/addressbooks_synchronizer.h"
#include "contacts/readonly_guards.h"
#include "dav/xml_helpers.h"
#include "index/change_detection.h"
#include "index/index_store.h"
#include "outlook/namespace.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "settings/messages.h"
#include "settings/partial_failure.h"

using outlook::ComPtr;

namespace {

constexpr const char* kHomeSetBody =
    "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
    "<c:addressbook-home-set/></d:prop></d:propfind>";

constexpr const char* kSharedBookUrl = "/gab";

// The name of a folder made for a book without display name: the last segment of its href.
std::string FolderNameOf(const CCardDavAddressbook& book) {
    if (!book.GetDisplayName().empty())
        return book.GetDisplayName();
    std::string_view href = book.GetHref();
    while (!href.empty() && href.back() == '/')
        href.remove_suffix(1);
    const std::size_t slash = href.rfind('/');
    return std::string(slash == std::string_view::npos ? href : href.substr(slash + 1));
}

// True when the folder is as its index recorded it after the last run: every contact recorded with the
// modification time it has now, and no record without its contact.
bool IsFolderAsRecorded(const COutlookAddressbook& outlook_book) {
    const SyncIndex index = OpenAddressBookIndex(outlook_book.GetEntryId());
    if (index.Size() != outlook_book.GetContacts().size())
        return false;
    for (const auto& contact : outlook_book.GetContacts()) {
        const std::string id = contact->GetEntryId();
        if (id.empty() ||
            !IsUnchangedSinceRecorded(index.FindByOutlookId(id), contact->GetLastModificationTime()))
            return false;
    }
    return true;
}

// True when the folder's index records every card the book listed, with the ETag it listed, and nothing
// else.
bool IsServerAsRecorded(const CCardDavAddressbook& book, const std::string& folder_id) {
    const SyncIndex index = OpenAddressBookIndex(folder_id);
    if (index.Size() != book.GetContacts().size())
        return false;
    for (const auto& contact : book.GetContacts()) {
        if (!IsServerUnchangedSinceRecorded(index.FindByServerId(contact->GetHref()), contact->GetETag()))
            return false;
    }
    return true;
}

}  // namespace

CCardDavSynchronizer::CCardDavSynchronizer(const std::string& server_url, const std::string& user,
                                           const std::string& password,
                                           ComPtr<outlook::Application> application, IReadonlyGuards* guards)
    : CCardDavSynchronizer(server_url, user, password, std::move(application), guards, HttpRequestFactory()) {
}

CCardDavSynchronizer::CCardDavSynchronizer(const std::string& server_url, const std::string& user,
                                           const std::string& password,
                                           ComPtr<outlook::Application> application, IReadonlyGuards* guards,
                                           HttpRequestFactory factory)
    : m_application(std::move(application)),
      m_guards(guards),
      m_server(server_url, user, password, std::move(factory)) {}

void CCardDavSynchronizer::Synchronize(SyncResultList* results) {
    ComPtr<outlook::NameSpace> session;
    ComPtr<outlook::MAPIFolder> folder;
    if (!m_application || FAILED(m_application->get_Session(&session)) || !session ||
        FAILED(session->Logon("", "", false, false)) ||
        FAILED(session->GetDefaultFolder(outlook::olFolderContacts, &folder)) || !folder) {
        Log("CCardDavSynchronizer::Synchronize: No default Contacts folder.");
        return;
    }
    m_root = COutlookAddressbook::Create(folder, m_guards);
    LoadHomeSets();

    std::vector<std::shared_ptr<CCardDavAddressbook>> home_books;
    CCardDavAddressbook::LoadFromServer(&m_server, m_home_set_url, false, &home_books);
    std::vector<std::shared_ptr<CCardDavAddressbook>> shared_books;
    try {
        CCardDavAddressbook::LoadFromServer(&m_server, m_shared_book_url, true, &shared_books);
    } catch (const CAddinException& error) {
        // Most servers have no shared book: Radicale answers 403, others 404 or 405.
        const FailureKind kind = error.GetKind();
        if (kind != FailureKind::kForbidden && kind != FailureKind::kNotFound && kind != FailureKind::kNotDav)
            throw;
        Log("CCardDavSynchronizer::Synchronize: No shared address book (code %u).", error.GetCode());
        shared_books.clear();
    }

    ValidateIndexes(home_books);
    m_groups_index = OpenGroupsIndex();
    const IndexRecord root_record = m_groups_index.FindByOutlookId(m_root->GetEntryId());
    m_default_book = ChooseDefaultBook(home_books, root_record.ServerId);

    SynchAddressbooks(shared_books, results);
    SynchAddressbooks(home_books, results);

    if (!m_default_book)
        m_message += LoadMessage(IDS_CONTACTS_FOLDER_MISSING);
    if (!m_message.empty())
        throw CAddinException(m_message);
    // Everything else was done; the run still must not read as a success.
    if (m_failed_items > 0)
        throw CAddinException(kErrorUnknown, PartialFailureMessage(m_failed_items, "contact(s)"));
}

void CCardDavSynchronizer::LoadHomeSets() {
    const std::string principal = m_server.GetCurrentUserPrincipal();
    if (principal.empty()) {
        Log("CCardDavSynchronizer::LoadHomeSets: The server names no principal.");
        throw CAddinException(kErrorNotDavServer);
    }
    DavRequest request{"PROPFIND", principal, kHomeSetBody, {{"Depth", "0"}}};
    const XmlNodePtr document = LoadXml(m_server.ProcessRequest(request));
    m_home_set_url =
        SelectText(document, "/d:multistatus/d:response/d:propstat/d:prop/card:addressbook-home-set/d:href");
    m_shared_book_url = kSharedBookUrl;
    if (m_home_set_url.empty()) {
        Log("CCardDavSynchronizer::LoadHomeSets: The principal %s names no address book home set.",
            principal.c_str());
        throw CAddinException(kErrorNotDavServer);
    }
}

void CCardDavSynchronizer::ValidateIndexes(const std::vector<std::shared_ptr<CCardDavAddressbook>>& books) {
    const SyncIndex index = OpenGroupsIndex();
    const IndexRecord record = index.FindByOutlookId(m_root->GetEntryId());
    if (!record.IsFound())
        return;
    for (const auto& book : books) {
        if (book->GetHref() == record.ServerId)
            return;
    }
    Log("CCardDavSynchronizer::ValidateIndexes: %s is gone; every index is discarded.",
        record.ServerId.c_str());
    DeleteAllIndexes();
}

std::shared_ptr<CCardDavAddressbook> CCardDavSynchronizer::ChooseDefaultBook(
    const std::vector<std::shared_ptr<CCardDavAddressbook>>& books, const std::string& paired_href) {
    for (const auto& book : books) {
        if (!book->IsReadonly() && !paired_href.empty() && book->GetHref() == paired_href)
            return book;
    }
    for (const auto& book : books) {
        if (!book->IsReadonly() && book->IsDefault())
            return book;
    }
    for (const auto& book : books) {
        if (!book->IsReadonly())
            return book;
    }
    return nullptr;
}

void CCardDavSynchronizer::SynchAddressbooks(const std::vector<std::shared_ptr<CCardDavAddressbook>>& books,
                                             SyncResultList* results) {
    for (const auto& book : books) {
        const bool writable = !book->IsReadonly();
        const bool is_default = book == m_default_book;
        const IndexRecord record = m_groups_index.FindByServerId(book->GetHref());
        std::shared_ptr<COutlookAddressbook> outlook_book;
        if (is_default && (!record.IsFound() || record.OutlookId == m_root->GetEntryId())) {
            outlook_book = m_root;
        } else if (record.IsFound()) {
            outlook_book = m_root->FindAddressbook(record.OutlookId);
            // Only the default book may pair with the default Contacts folder.
            if (outlook_book == m_root && !is_default)
                outlook_book = nullptr;
        }
        if (!outlook_book) {
            std::string name = FolderNameOf(*book);
            if (!writable)
                name += LoadMessage(IDS_READ_ONLY_SUFFIX);
            outlook_book = m_root->CreateNewAddressbook(name, writable);
            if (!outlook_book) {
                Log("CCardDavSynchronizer::SynchAddressbooks: %s stays unpaired.", book->GetHref().c_str());
                continue;
            }
        }
        const std::string& folder_id = outlook_book->GetEntryId();
        // A server changes the tag with every card, so an equal tag and a folder as recorded leave
        // nothing to read or write.
        const std::string& ctag = book->GetCTag();
        const bool unchanged = !ctag.empty() && record.IsFound() && record.serverETag == ctag &&
                               record.OutlookId == folder_id && IsFolderAsRecorded(*outlook_book);
        // The pair's record keeps the tag only while both sides are known equal.
        RecordPair(book->GetHref(), folder_id, unchanged ? ctag : std::string());
        // A book that became writable must give its folder back to the user as well.
        if (m_guards != nullptr && (!writable || outlook_book != m_root))
            m_guards->SetFolderReadonly(folder_id, !writable);

        SyncCounters counters;
        if (unchanged) {
            Log("CCardDavSynchronizer::SynchAddressbooks: %s is unchanged on both sides.",
                platform::SanitizeUtf8(book->GetHref()).c_str());
        } else {
            book->LoadContacts();
            const std::uint64_t changes_sent = m_server.GetChangesSent();
            CAddressbooksSynchronizer synchronizer;
            counters = synchronizer.Synchronize(outlook_book, book, writable);
            // Server cards that could not be read are not synchronized, whatever became of the rest.
            counters.failures += static_cast<int>(book->GetUnreadableCount());
            // A tag read before this run's own writes would hide another client's change made among them.
            if (m_server.GetChangesSent() == changes_sent && counters.failures == 0 &&
                IsServerAsRecorded(*book, folder_id))
                RecordPair(book->GetHref(), folder_id, ctag);
        }
        m_failed_items += counters.failures;
        results->push_back(SyncResultEntry{folder_id, !writable, outlook_book->GetName(), counters});
    }
}

void CCardDavSynchronizer::RecordPair(const std::string& href, const std::string& folder_id,
                                      const std::string& ctag) {
    m_groups_index.RemoveByServerId(href);
    IndexRecord record{href, folder_id, platform::DateTime::NowLocal()};
    record.serverETag = ctag;
    if (!m_groups_index.Add(std::move(record)))
        Log("CCardDavSynchronizer::SynchAddressbooks: The pair of %s is not kept.", href.c_str());
    m_groups_index.Save();
}
