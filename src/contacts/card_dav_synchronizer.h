// One contact synchronization run: finds the server's address books, pairs each with an Outlook
// contacts folder (the default book with the default Contacts folder), and synchronizes every pair.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "addin/sync_host.h"
#include "contacts/card_dav_addressbook.h"
#include "contacts/outlook_addressbook.h"
#include "dav/dav_server.h"
#include "index/sync_index.h"
#include "outlook/application.h"
#include "outlook/com_ptr.h"

class IReadonlyGuards;

class CCardDavSynchronizer : public ISynchronizer {
  public:
    // `guards` is not owned and may be null (nothing is guarded then).
    CCardDavSynchronizer(const std::string& server_url, const std::string& user, const std::string& password,
                         outlook::ComPtr<outlook::Application> application,
                         IReadonlyGuards* guards = nullptr);
    // The same with the request objects made by `factory` (tests).
    CCardDavSynchronizer(const std::string& server_url, const std::string& user, const std::string& password,
                         outlook::ComPtr<outlook::Application> application, IReadonlyGuards* guards,
                         HttpRequestFactory factory);

    // The whole run; appends (folder EntryID, read-only) per paired book. Returns at once when there is
    // no default Contacts folder. Throws: CAddinException for a failing listing or the first failing
    // contact; with message 363 when the home set has no writable book.
    void Synchronize(SyncResultList* results) override;

    // The address book home set of the current user (PROPFIND, Depth: 0, on the principal).
    // Throws: CAddinException; 307 when the server names no principal or home set.
    void LoadHomeSets();

    // Discards every index file when the default Contacts folder is recorded as paired with a book that
    // is not among `books`.
    void ValidateIndexes(const std::vector<std::shared_ptr<CCardDavAddressbook>>& books);

    // Pairs and synchronizes each book in order; a book whose collection tag and folder are as a run that
    // left both sides equal recorded them is not read. Throws: the first failure of a book, which ends
    // the run.
    void SynchAddressbooks(const std::vector<std::shared_ptr<CCardDavAddressbook>>& books,
                           SyncResultList* results);
    // Writes and saves the pair of a book and its folder, with the book's collection tag ("" for none).
    void RecordPair(const std::string& href, const std::string& folder_id, const std::string& ctag);

    // The book that pairs with the default Contacts folder: the writable home-set book it is already
    // paired with, else the first writable book that passes the is-default test, else the first
    // writable book; null when the home set has no writable book.
    static std::shared_ptr<CCardDavAddressbook> ChooseDefaultBook(
        const std::vector<std::shared_ptr<CCardDavAddressbook>>& books, const std::string& paired_href);

    const std::string& GetHomeSetUrl() const { return m_home_set_url; }

  private:
    outlook::ComPtr<outlook::Application> m_application;
    IReadonlyGuards* m_guards;
    std::string m_home_set_url;
    std::string m_shared_book_url;
    SyncIndex m_groups_index;
    std::shared_ptr<COutlookAddressbook> m_root;
    std::shared_ptr<CCardDavAddressbook> m_default_book;
    std::string m_message;
    int m_failed_items = 0;
    CDavServer m_server;
};
