// The embedded store over SQLite ("outlook.db" in the velsync home): folders, items and their records.
// Every write is one transaction, so a killed process loses at most the change in flight (a power loss
// also the commits since the last Flush()). Several processes may
// use one store file: a writer waits for another's transaction up to the busy time-out, then fails with
// MAPI_E_TIMEOUT. A file that is not a store, or a damaged one, fails with MAPI_E_CORRUPT_STORE and is
// never replaced. Calls are serialized; the store may be used from any thread.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host/folder_record.h"
#include "host/item_record.h"
#include "platform/hresult.h"
#include "platform/write_order.h"

struct sqlite3;
struct sqlite3_stmt;

namespace host {

class Store : public platform::EarlierWrites {
  public:
    // Prepared statements not in use, by their SQL text.
    using IdleStatements = std::map<std::string, sqlite3_stmt*, std::less<>>;

    Store() = default;
    ~Store() override;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens (creating when missing) the store file and makes the default folders Calendar (9), Contacts
    // (10) and Suggested Contacts (30) when they are missing. `busy_timeout_ms` bounds every wait for
    // another process. Fails: MAPI_E_TIMEOUT, MAPI_E_CORRUPT_STORE, MAPI_E_DISK_ERROR; LastError() says
    // why in words.
    [[nodiscard]] HRESULT Open(const std::string& path, int busy_timeout_ms = 3000);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    const std::string& Path() const { return path_; }
    // Brings every commit to the disk; a commit alone survives the end of the process, not a power loss.
    bool Flush() override;
    // The reason of the last failure, for the user ("the store ... is in use by another velsync process").
    std::string LastError() const;

    // The store's own 32-digit hexadecimal id, part of every EntryID it gives.
    const std::string& StoreId() const { return store_id_; }
    // A new EntryID / GlobalAppointmentID (upper-case hexadecimal, unique).
    std::string NewEntryId() const;
    static std::string NewGlobalAppointmentId(const platform::DateTime& created_utc);

    // Folders. Lists are in creation order.
    [[nodiscard]] HRESULT GetDefaultFolder(std::int32_t default_folder, FolderRecord* out);
    [[nodiscard]] HRESULT GetFolder(std::int64_t row_id, FolderRecord* out);
    [[nodiscard]] HRESULT FindFolder(const std::string& entry_id, FolderRecord* out);
    [[nodiscard]] HRESULT ListFolders(std::int64_t parent_id, std::vector<FolderRecord>* out);
    // Fails: MAPI_E_COLLISION when a sibling has the name (ASCII case ignored); E_INVALIDARG for "".
    [[nodiscard]] HRESULT CreateFolder(std::int64_t parent_id, const std::string& name, FolderRecord* out);
    // Writes name, description and the address-book flag. Fails: MAPI_E_COLLISION, MAPI_E_NOT_FOUND;
    // MAPI_E_NO_SUPPORT for a new name of a default folder.
    [[nodiscard]] HRESULT UpdateFolder(const FolderRecord& folder);
    // Deletes the folder with every item and folder below it.
    [[nodiscard]] HRESULT DeleteFolder(std::int64_t row_id);
    // Fails: E_INVALIDARG for a move below itself or of a default folder; MAPI_E_COLLISION.
    [[nodiscard]] HRESULT MoveFolder(std::int64_t row_id, std::int64_t new_parent_id);

    // Changes whenever the store's content may have changed, through this store or another process, so
    // a collection can keep a list until the mark moves.
    std::uint64_t ChangeMark();
    // Like ChangeMark, but our own commits move it only when they may change which contacts a folder
    // tree holds (a contact saved, any item or folder deleted or moved).
    std::uint64_t ContactsMark();

    // Items. Lists are in the order items were first saved; hidden items are listed only on request.
    [[nodiscard]] HRESULT ListItems(std::int64_t folder_id, bool hidden, std::vector<ItemRecord>* out);
    // The row ids of ListItems(folder_id, false), in its order, without reading the items.
    [[nodiscard]] HRESULT ListItemIds(std::int64_t folder_id, std::vector<std::int64_t>* out);
    [[nodiscard]] HRESULT CountItems(std::int64_t folder_id, std::int32_t* out);
    [[nodiscard]] HRESULT LoadItem(std::int64_t row_id, ItemRecord* out);
    [[nodiscard]] HRESULT FindItem(const std::string& entry_id, ItemRecord* out);
    // At most `limit` visible items whose EntryID, or its own part after the store's id, starts with
    // `prefix` (hexadecimal digits only; E_INVALIDARG otherwise).
    [[nodiscard]] HRESULT FindItemsByIdPrefix(const std::string& prefix, std::int64_t limit,
                                              std::vector<ItemRecord>* out);
    // The hidden item of a folder with that subject. Fails: MAPI_E_NOT_FOUND.
    [[nodiscard]] HRESULT FindStorage(std::int64_t folder_id, const std::string& subject, ItemRecord* out);
    // Inserts (row_id 0) or rewrites the item. Sets "CreationTimeUTC" on insert and "LastModificationTimeUTC"
    // to now on every save. Fails: MAPI_E_OBJECT_DELETED when the row is gone.
    [[nodiscard]] HRESULT SaveItem(ItemRecord* record);
    [[nodiscard]] HRESULT DeleteItem(std::int64_t row_id);
    [[nodiscard]] HRESULT MoveItem(std::int64_t row_id, std::int64_t folder_id);

  private:
    class Transaction;

    HRESULT OpenFile(const std::string& path, int busy_timeout_ms);
    void CloseFile();
    HRESULT Fail(int sqlite_code, const std::string& what);
    HRESULT Exec(const char* sql);
    HRESULT CreateSchema();
    HRESULT EnsureDefaultFolder(std::int32_t default_folder, outlook::OlItemType type, const char* name);
    HRESULT ReadFolders(const char* sql, std::int64_t key, const std::string* text,
                        std::vector<FolderRecord>* out);
    // `sql` follows the column list; ?1 is bound to `key`, ?2 to `text` when given.
    HRESULT ReadItems(const char* sql, std::int64_t key, const std::string* text,
                      std::vector<ItemRecord>* out);
    HRESULT HasSiblingNamed(std::int64_t parent_id, const std::string& name, std::int64_t except_id,
                            bool* out);
    HRESULT DeleteFolderTree(std::int64_t row_id);
    std::uint64_t MarkWith(std::uint64_t own_changes);

    mutable std::recursive_mutex mutex_;
    sqlite3* db_ = nullptr;
    IdleStatements idle_statements_;
    std::string path_;
    std::string store_id_;
    std::string last_error_;
    std::uint64_t commits_ = 0;
    bool unflushed_ = false;
    std::uint64_t contact_changes_ = 0;
};

}  // namespace host
