#include "host/store.h"

#include <sqlite3.h>

#include <cstring>

#include "outlook/status.h"
#include "platform/crypto.h"
#include "platform/text.h"

namespace host {
namespace {

// The first record a read found; `missing` when it found none.
template <class Record>
HRESULT FirstOf(HRESULT read, std::vector<Record>* found, HRESULT missing, Record* out) {
    if (FAILED(read)) {
        return read;
    }
    if (found->empty()) {
        return missing;
    }
    *out = std::move(found->front());
    return S_OK;
}

// Upper-case hex digits, two per byte: snprintf per byte showed in the profile of a first sync.
void AppendHex(std::uint8_t byte, std::string* out) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    out->push_back(kDigits[byte >> 4]);
    out->push_back(kDigits[byte & 0x0F]);
}

std::string RandomHex(std::size_t bytes) {
    std::vector<std::uint8_t> buffer(bytes);
    if (!platform::RandomBytes(buffer.data(), buffer.size())) {
        // The kernel's source failing is not expected; a GUID text still gives uniqueness.
        std::string guid = platform::NewGuidString();
        std::string hex;
        for (char c : guid) {
            if (std::isxdigit(static_cast<unsigned char>(c))) {
                hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        return hex.substr(0, bytes * 2);
    }
    std::string hex;
    for (std::uint8_t b : buffer) {
        AppendHex(b, &hex);
    }
    return hex;
}

// RAII statement; reports the sqlite code of each step. Prepared statements are kept idle by their SQL
// text for the connection's life, as preparing costs more than most of the store's queries; a statement
// asked for while its idle copy is in use (a query inside another one's loop) is prepared afresh.
class Statement {
  public:
    Statement(sqlite3* db, Store::IdleStatements* idle, std::string sql) : idle_(idle), sql_(std::move(sql)) {
        const auto kept = idle_->find(sql_);
        if (kept != idle_->end()) {
            stmt_ = kept->second;
            idle_->erase(kept);
        } else {
            rc_ = sqlite3_prepare_v2(db, sql_.c_str(), -1, &stmt_, nullptr);
        }
    }
    ~Statement() {
        if (stmt_ == nullptr) {
            return;
        }
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        if (!idle_->emplace(std::move(sql_), stmt_).second) {
            sqlite3_finalize(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int rc() const { return rc_; }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
    void Bind(int index, const std::string& value) {
        sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    void BindDouble(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
    void BindNull(int index) { sqlite3_bind_null(stmt_, index); }
    int Step() { return rc_ = sqlite3_step(stmt_); }
    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    double Double(int column) const { return sqlite3_column_double(stmt_, column); }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text == nullptr
                   ? std::string()
                   : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }

  private:
    Store::IdleStatements* idle_;
    std::string sql_;
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS folders(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  entry_id TEXT NOT NULL UNIQUE,
  parent_id INTEGER REFERENCES folders(id),
  default_folder INTEGER NOT NULL DEFAULT 0,
  item_type INTEGER NOT NULL,
  name TEXT NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  show_as_ab INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS items(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  entry_id TEXT NOT NULL UNIQUE,
  folder_id INTEGER NOT NULL REFERENCES folders(id),
  kind INTEGER NOT NULL,
  hidden INTEGER NOT NULL DEFAULT 0,
  global_id TEXT NOT NULL DEFAULT '',
  subject TEXT NOT NULL DEFAULT '',
  record TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS items_by_folder ON items(folder_id, id);
CREATE INDEX IF NOT EXISTS folders_by_parent ON folders(parent_id, id);
)sql";

constexpr const char* kFolderColumns =
    "SELECT id, entry_id, IFNULL(parent_id, 0), default_folder, item_type, name, description, show_as_ab "
    "FROM folders ";
constexpr const char* kItemColumns =
    "SELECT id, entry_id, folder_id, kind, hidden, global_id, record FROM items ";

FolderRecord ReadFolderRow(const Statement& s) {
    FolderRecord folder;
    folder.row_id = s.Int(0);
    folder.entry_id = s.Text(1);
    folder.parent_id = s.Int(2);
    folder.default_folder = static_cast<std::int32_t>(s.Int(3));
    folder.item_type = static_cast<outlook::OlItemType>(s.Int(4));
    folder.name = s.Text(5);
    folder.description = s.Text(6);
    folder.show_as_address_book = s.Int(7) != 0;
    return folder;
}

}  // namespace

// BEGIN IMMEDIATE ... COMMIT; rolled back unless committed. The three statements are kept prepared like
// any other: a first sync begins and commits one transaction per item.
class Store::Transaction {
  public:
    explicit Transaction(Store* store) : store_(store) { rc_ = Run("BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (rc_ == SQLITE_OK && !committed_) {
            (void)Run("ROLLBACK");
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    HRESULT Begun() { return rc_ == SQLITE_OK ? S_OK : store_->Fail(rc_, "begin a change"); }
    HRESULT Commit() {
        int rc = Run("COMMIT");
        if (rc != SQLITE_OK) {
            return store_->Fail(rc, "commit a change");
        }
        committed_ = true;
        ++store_->commits_;
        store_->unflushed_ = true;
        return S_OK;
    }

  private:
    int Run(const char* sql) {
        Statement statement(store_->db_, &store_->idle_statements_, sql);
        if (statement.rc() != SQLITE_OK) {
            return statement.rc();
        }
        return statement.Step() == SQLITE_DONE ? SQLITE_OK : statement.rc();
    }

    Store* store_;
    int rc_ = SQLITE_OK;
    bool committed_ = false;
};

Store::~Store() {
    Close();
}

// The writer list is left outside the store's lock: FlushEarlierWrites() takes the two the other way round.
void Store::Close() {
    platform::RemoveEarlierWrites(this);
    CloseFile();
}

void Store::CloseFile() {
    std::lock_guard lock(mutex_);
    for (const auto& [sql, statement] : idle_statements_) {
        sqlite3_finalize(statement);
    }
    idle_statements_.clear();
    if (db_ != nullptr) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

std::string Store::LastError() const {
    std::lock_guard lock(mutex_);
    return last_error_;
}

HRESULT Store::Fail(int sqlite_code, const std::string& what) {
    const int primary = sqlite_code & 0xFF;
    HRESULT hr = outlook::MAPI_E_DISK_ERROR;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        hr = outlook::MAPI_E_TIMEOUT;
        last_error_ =
            "the store " + path_ + " is in use by another velsync process; try again when it has finished";
    } else if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
        hr = outlook::MAPI_E_CORRUPT_STORE;
        last_error_ =
            "the store " + path_ +
            " is damaged or is not a velsync store; it was left as it is (move it away to start afresh)";
    } else {
        const char* message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(sqlite_code);
        last_error_ =
            "cannot " + what + " in the store " + path_ + ": " + (message ? message : "unknown error");
    }
    return hr;
}

HRESULT Store::Exec(const char* sql) {
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? S_OK : Fail(rc, "update");
}

HRESULT Store::Open(const std::string& path, int busy_timeout_ms) {
    platform::RemoveEarlierWrites(this);
    const HRESULT hr = OpenFile(path, busy_timeout_ms);
    if (SUCCEEDED(hr)) {
        platform::AddEarlierWrites(this);
    }
    return hr;
}

bool Store::Flush() {
    std::lock_guard lock(mutex_);
    if (!unflushed_ || db_ == nullptr) {
        return true;
    }
    sqlite3_file* log = nullptr;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK) {
        return false;
    }
    // No open log: every commit is already in the database file, which a checkpoint syncs.
    if (log != nullptr && log->pMethods != nullptr &&
        log->pMethods->xSync(log, SQLITE_SYNC_NORMAL) != SQLITE_OK) {
        return false;
    }
    unflushed_ = false;
    return true;
}

HRESULT Store::OpenFile(const std::string& path, int busy_timeout_ms) {
    std::lock_guard lock(mutex_);
    CloseFile();
    path_ = path;
    int rc = sqlite3_open_v2(path.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        HRESULT hr = Fail(rc, "open");
        CloseFile();
        return hr;
    }
    sqlite3_busy_timeout(db_, busy_timeout_ms);
    sqlite3_extended_result_codes(db_, 1);
    HRESULT hr = Exec("PRAGMA foreign_keys = ON");
    if (SUCCEEDED(hr)) {
        hr = CreateSchema();
    }
    if (FAILED(hr)) {
        CloseFile();
    }
    return hr;
}

HRESULT Store::CreateSchema() {
    // Reading the schema first tells a damaged or foreign file from a locked one before anything is written.
    {
        Statement probe(db_, &idle_statements_, "SELECT count(*) FROM sqlite_master");
        if (probe.rc() != SQLITE_OK) {
            return Fail(probe.rc(), "read");
        }
        if (probe.Step() != SQLITE_ROW) {
            return Fail(probe.rc(), "read");
        }
    }
    // Readers in other processes do not wait for writers of a write-ahead log. A commit does not wait for
    // the disk (a killed process keeps it all the same): Flush() does, before a record names the item.
    HRESULT hr = Exec("PRAGMA journal_mode = WAL");
    if (SUCCEEDED(hr)) {
        hr = Exec("PRAGMA synchronous = NORMAL");
    }
    if (FAILED(hr)) {
        return hr;
    }
    Transaction transaction(this);
    hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    hr = Exec(kSchema);
    if (FAILED(hr)) {
        return hr;
    }
    {
        Statement read(db_, &idle_statements_, "SELECT value FROM meta WHERE key = 'store_id'");
        if (read.rc() != SQLITE_OK) {
            return Fail(read.rc(), "read");
        }
        if (read.Step() == SQLITE_ROW) {
            store_id_ = read.Text(0);
        } else {
            store_id_ = RandomHex(16);
            Statement write(db_, &idle_statements_, "INSERT INTO meta(key, value) VALUES('store_id', ?1)");
            write.Bind(1, store_id_);
            if (write.Step() != SQLITE_DONE) {
                return Fail(write.rc(), "initialise");
            }
        }
    }
    if (store_id_.size() != 32) {
        return Fail(SQLITE_CORRUPT, "read");
    }
    for (auto [kind, type, name] :
         {std::tuple{outlook::olFolderCalendar, outlook::olAppointmentItem, "Calendar"},
          std::tuple{outlook::olFolderContacts, outlook::olContactItem, "Contacts"},
          std::tuple{outlook::olFolderSuggestedContacts, outlook::olContactItem, "Suggested Contacts"}}) {
        hr = EnsureDefaultFolder(kind, type, name);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return transaction.Commit();
}

HRESULT Store::EnsureDefaultFolder(std::int32_t default_folder, outlook::OlItemType type, const char* name) {
    Statement find(db_, &idle_statements_, "SELECT id FROM folders WHERE default_folder = ?1");
    find.Bind(1, default_folder);
    if (find.Step() == SQLITE_ROW) {
        return S_OK;
    }
    if (find.rc() != SQLITE_DONE) {
        return Fail(find.rc(), "read");
    }
    Statement insert(db_, &idle_statements_,
                     "INSERT INTO folders(entry_id, parent_id, default_folder, item_type, name) "
                     "VALUES(?1, NULL, ?2, ?3, ?4)");
    insert.Bind(1, NewEntryId());
    insert.Bind(2, default_folder);
    insert.Bind(3, static_cast<std::int64_t>(type));
    insert.Bind(4, std::string(name));
    return insert.Step() == SQLITE_DONE ? S_OK : Fail(insert.rc(), "create a default folder");
}

std::string Store::NewEntryId() const {
    // Outlook's form: four flag bytes, the store's id, then the object's own part.
    return "00000000" + store_id_ + RandomHex(16);
}

std::string Store::NewGlobalAppointmentId(const platform::DateTime& created_utc) {
    // Fixed class id; zero instance date (a series, not one occurrence); creation time as a FILETIME,
    // little-endian; eight reserved bytes; the size of the rest (16, little-endian); 16 random bytes.
    std::uint64_t filetime = 0;
    if (created_utc.IsValid()) {
        filetime = static_cast<std::uint64_t>(created_utc.ToUnixSeconds() + 11644473600LL) * 10000000ULL;
    }
    std::string time_hex;
    for (int i = 0; i < 8; ++i) {
        AppendHex(static_cast<std::uint8_t>((filetime >> (8 * i)) & 0xFF), &time_hex);
    }
    return "040000008200E00074C5B7101A82E008"
           "00000000" +
           time_hex +
           "0000000000000000"
           "10000000" +
           RandomHex(16);
}

HRESULT Store::ReadFolders(const char* sql, std::int64_t key, const std::string* text,
                           std::vector<FolderRecord>* out) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    Statement s(db_, &idle_statements_, std::string(kFolderColumns) + sql);
    if (s.rc() != SQLITE_OK) {
        return Fail(s.rc(), "read folders");
    }
    if (text != nullptr) {
        s.Bind(1, *text);
    } else {
        s.Bind(1, key);
    }
    out->clear();
    while (s.Step() == SQLITE_ROW) {
        out->push_back(ReadFolderRow(s));
    }
    return s.rc() == SQLITE_DONE ? S_OK : Fail(s.rc(), "read folders");
}

HRESULT Store::GetDefaultFolder(std::int32_t default_folder, FolderRecord* out) {
    if (default_folder == 0) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    std::vector<FolderRecord> found;
    return FirstOf(ReadFolders("WHERE default_folder = ?1", default_folder, nullptr, &found), &found,
                   outlook::MAPI_E_NOT_FOUND, out);
}

HRESULT Store::GetFolder(std::int64_t row_id, FolderRecord* out) {
    std::vector<FolderRecord> found;
    return FirstOf(ReadFolders("WHERE id = ?1", row_id, nullptr, &found), &found,
                   outlook::MAPI_E_OBJECT_DELETED, out);
}

HRESULT Store::FindFolder(const std::string& entry_id, FolderRecord* out) {
    std::vector<FolderRecord> found;
    return FirstOf(ReadFolders("WHERE entry_id = ?1", 0, &entry_id, &found), &found,
                   outlook::MAPI_E_NOT_FOUND, out);
}

HRESULT Store::ListFolders(std::int64_t parent_id, std::vector<FolderRecord>* out) {
    return ReadFolders("WHERE parent_id = ?1 ORDER BY id", parent_id, nullptr, out);
}

HRESULT Store::HasSiblingNamed(std::int64_t parent_id, const std::string& name, std::int64_t except_id,
                               bool* out) {
    std::vector<FolderRecord> siblings;
    HRESULT hr = ListFolders(parent_id, &siblings);
    if (FAILED(hr)) {
        return hr;
    }
    *out = false;
    for (const FolderRecord& sibling : siblings) {
        if (sibling.row_id != except_id && platform::EqualsIgnoreAsciiCase(sibling.name, name)) {
            *out = true;
        }
    }
    return S_OK;
}

HRESULT Store::CreateFolder(std::int64_t parent_id, const std::string& name, FolderRecord* out) {
    std::lock_guard lock(mutex_);
    if (name.empty()) {
        return E_INVALIDARG;
    }
    FolderRecord parent;
    HRESULT hr = GetFolder(parent_id, &parent);
    if (FAILED(hr)) {
        return hr;
    }
    Transaction transaction(this);
    hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    bool taken = false;
    hr = HasSiblingNamed(parent_id, name, 0, &taken);
    if (FAILED(hr)) {
        return hr;
    }
    if (taken) {
        return outlook::MAPI_E_COLLISION;
    }
    FolderRecord folder;
    folder.entry_id = NewEntryId();
    folder.parent_id = parent_id;
    folder.item_type = parent.item_type;
    folder.name = name;
    Statement insert(db_, &idle_statements_,
                     "INSERT INTO folders(entry_id, parent_id, item_type, name) VALUES(?1, ?2, ?3, ?4)");
    insert.Bind(1, folder.entry_id);
    insert.Bind(2, parent_id);
    insert.Bind(3, static_cast<std::int64_t>(folder.item_type));
    insert.Bind(4, name);
    if (insert.Step() != SQLITE_DONE) {
        return Fail(insert.rc(), "create a folder");
    }
    folder.row_id = sqlite3_last_insert_rowid(db_);
    hr = transaction.Commit();
    if (SUCCEEDED(hr)) {
        *out = folder;
    }
    return hr;
}

HRESULT Store::UpdateFolder(const FolderRecord& folder) {
    std::lock_guard lock(mutex_);
    if (folder.name.empty()) {
        return E_INVALIDARG;
    }
    Transaction transaction(this);
    HRESULT hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    FolderRecord stored;
    hr = GetFolder(folder.row_id, &stored);
    if (FAILED(hr)) {
        return hr;
    }
    // Outlook keeps its default folders' names whatever a user or an add-in asks.
    if (stored.default_folder != 0 && folder.name != stored.name) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    if (stored.parent_id != 0) {
        bool taken = false;
        hr = HasSiblingNamed(stored.parent_id, folder.name, folder.row_id, &taken);
        if (FAILED(hr)) {
            return hr;
        }
        if (taken) {
            return outlook::MAPI_E_COLLISION;
        }
    }
    Statement update(db_, &idle_statements_,
                     "UPDATE folders SET name = ?1, description = ?2, show_as_ab = ?3 WHERE id = ?4");
    update.Bind(1, folder.name);
    update.Bind(2, folder.description);
    update.Bind(3, folder.show_as_address_book ? 1 : 0);
    update.Bind(4, folder.row_id);
    if (update.Step() != SQLITE_DONE) {
        return Fail(update.rc(), "change a folder");
    }
    return transaction.Commit();
}

HRESULT Store::DeleteFolderTree(std::int64_t row_id) {
    std::vector<FolderRecord> children;
    HRESULT hr = ListFolders(row_id, &children);
    if (FAILED(hr)) {
        return hr;
    }
    for (const FolderRecord& child : children) {
        hr = DeleteFolderTree(child.row_id);
        if (FAILED(hr)) {
            return hr;
        }
    }
    Statement items(db_, &idle_statements_, "DELETE FROM items WHERE folder_id = ?1");
    items.Bind(1, row_id);
    if (items.Step() != SQLITE_DONE) {
        return Fail(items.rc(), "delete a folder");
    }
    Statement folder(db_, &idle_statements_, "DELETE FROM folders WHERE id = ?1");
    folder.Bind(1, row_id);
    return folder.Step() == SQLITE_DONE ? S_OK : Fail(folder.rc(), "delete a folder");
}

HRESULT Store::DeleteFolder(std::int64_t row_id) {
    std::lock_guard lock(mutex_);
    Transaction transaction(this);
    HRESULT hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    FolderRecord folder;
    hr = GetFolder(row_id, &folder);
    if (FAILED(hr)) {
        return hr;
    }
    if (folder.default_folder != 0) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    hr = DeleteFolderTree(row_id);
    ++contact_changes_;
    return SUCCEEDED(hr) ? transaction.Commit() : hr;
}

HRESULT Store::MoveFolder(std::int64_t row_id, std::int64_t new_parent_id) {
    std::lock_guard lock(mutex_);
    Transaction transaction(this);
    HRESULT hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    FolderRecord folder;
    hr = GetFolder(row_id, &folder);
    if (FAILED(hr)) {
        return hr;
    }
    if (folder.default_folder != 0) {
        return E_INVALIDARG;
    }
    // The new parent must not be the folder or below it. Walking up is bounded by the folder count.
    std::int64_t walk = new_parent_id;
    for (int depth = 0; walk != 0; ++depth) {
        if (walk == row_id || depth > 100000) {
            return E_INVALIDARG;
        }
        FolderRecord step;
        hr = GetFolder(walk, &step);
        if (FAILED(hr)) {
            return hr;
        }
        walk = step.parent_id;
    }
    bool taken = false;
    hr = HasSiblingNamed(new_parent_id, folder.name, row_id, &taken);
    if (FAILED(hr)) {
        return hr;
    }
    if (taken) {
        return outlook::MAPI_E_COLLISION;
    }
    Statement update(db_, &idle_statements_, "UPDATE folders SET parent_id = ?1 WHERE id = ?2");
    update.Bind(1, new_parent_id);
    update.Bind(2, row_id);
    if (update.Step() != SQLITE_DONE) {
        return Fail(update.rc(), "move a folder");
    }
    ++contact_changes_;
    return transaction.Commit();
}

std::uint64_t Store::MarkWith(std::uint64_t own_changes) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return 0;
    }
    // data_version moves when another connection commits; our own commits are counted by the caller.
    Statement s(db_, &idle_statements_, "PRAGMA data_version");
    const std::uint64_t other = s.Step() == SQLITE_ROW ? static_cast<std::uint64_t>(s.Int(0)) : 0;
    return (other << 32) ^ own_changes;
}

std::uint64_t Store::ChangeMark() {
    std::lock_guard lock(mutex_);
    return MarkWith(commits_);
}

std::uint64_t Store::ContactsMark() {
    std::lock_guard lock(mutex_);
    return MarkWith(contact_changes_);
}

HRESULT Store::ReadItems(const char* sql, std::int64_t key, const std::string* text,
                         std::vector<ItemRecord>* out) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    Statement s(db_, &idle_statements_, std::string(kItemColumns) + sql);
    if (s.rc() != SQLITE_OK) {
        return Fail(s.rc(), "read items");
    }
    s.Bind(1, key);
    if (text != nullptr) {
        s.Bind(2, *text);
    }
    out->clear();
    while (s.Step() == SQLITE_ROW) {
        ItemRecord record;
        record.row_id = s.Int(0);
        record.entry_id = s.Text(1);
        record.folder_id = s.Int(2);
        record.kind = static_cast<outlook::OlItemType>(s.Int(3));
        record.hidden = s.Int(4) != 0;
        record.global_id = s.Text(5);
        if (!DecodeItemRecord(s.Text(6), &record)) {
            last_error_ = "item " + record.entry_id + " of the store " + path_ + " is damaged";
            return outlook::MAPI_E_CORRUPT_STORE;
        }
        out->push_back(std::move(record));
    }
    return s.rc() == SQLITE_DONE ? S_OK : Fail(s.rc(), "read items");
}

HRESULT Store::ListItems(std::int64_t folder_id, bool hidden, std::vector<ItemRecord>* out) {
    return ReadItems(
        hidden ? "WHERE folder_id = ?1 ORDER BY id" : "WHERE folder_id = ?1 AND hidden = 0 ORDER BY id",
        folder_id, nullptr, out);
}

HRESULT Store::ListItemIds(std::int64_t folder_id, std::vector<std::int64_t>* out) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    Statement s(db_, &idle_statements_,
                "SELECT id FROM items WHERE folder_id = ?1 AND hidden = 0 ORDER BY id");
    s.Bind(1, folder_id);
    out->clear();
    while (s.Step() == SQLITE_ROW) {
        out->push_back(s.Int(0));
    }
    return s.rc() == SQLITE_DONE ? S_OK : Fail(s.rc(), "list items");
}

HRESULT Store::CountItems(std::int64_t folder_id, std::int32_t* out) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    Statement s(db_, &idle_statements_, "SELECT count(*) FROM items WHERE folder_id = ?1 AND hidden = 0");
    s.Bind(1, folder_id);
    if (s.Step() != SQLITE_ROW) {
        return Fail(s.rc(), "count items");
    }
    *out = static_cast<std::int32_t>(s.Int(0));
    return S_OK;
}

HRESULT Store::LoadItem(std::int64_t row_id, ItemRecord* out) {
    std::vector<ItemRecord> found;
    return FirstOf(ReadItems("WHERE id = ?1", row_id, nullptr, &found), &found,
                   outlook::MAPI_E_OBJECT_DELETED, out);
}

HRESULT Store::FindItem(const std::string& entry_id, ItemRecord* out) {
    std::vector<ItemRecord> found;
    return FirstOf(ReadItems("WHERE entry_id = ?2", 0, &entry_id, &found), &found, outlook::MAPI_E_NOT_FOUND,
                   out);
}

HRESULT Store::FindItemsByIdPrefix(const std::string& prefix, std::int64_t limit,
                                   std::vector<ItemRecord>* out) {
    // Hexadecimal digits only, so nothing in the text is a LIKE pattern character.
    if (prefix.empty() || prefix.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return E_INVALIDARG;
    }
    // The first 40 digits are flags and the store's id, the same for every item.
    return ReadItems(
        "WHERE hidden = 0 AND (entry_id LIKE ?2 || '%' OR substr(entry_id, 41) LIKE ?2 || '%') "
        "ORDER BY id LIMIT ?1",
        limit, &prefix, out);
}

HRESULT Store::FindStorage(std::int64_t folder_id, const std::string& subject, ItemRecord* out) {
    std::vector<ItemRecord> found;
    return FirstOf(ReadItems("WHERE folder_id = ?1 AND hidden = 1 AND subject = ?2 ORDER BY id", folder_id,
                             &subject, &found),
                   &found, outlook::MAPI_E_NOT_FOUND, out);
}

HRESULT Store::SaveItem(ItemRecord* record) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    Transaction transaction(this);
    HRESULT hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    const platform::DateTime now = platform::DateTime::NowUtc();
    ItemRecord updated = *record;
    if (updated.row_id == 0 ||
        BagDate(updated.fields, "CreationTimeUTC").status() != platform::DateStatus::Valid) {
        updated.fields["CreationTimeUTC"] = now;
    }
    updated.fields["LastModificationTimeUTC"] = now;
    const std::string text = EncodeItemRecord(updated);
    const std::string subject = BagText(updated.fields, "Subject");
    if (updated.row_id == 0) {
        Statement insert(db_, &idle_statements_,
                         "INSERT INTO items(entry_id, folder_id, kind, hidden, global_id, subject, record) "
                         "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        insert.Bind(1, updated.entry_id);
        insert.Bind(2, updated.folder_id);
        insert.Bind(3, static_cast<std::int64_t>(updated.kind));
        insert.Bind(4, updated.hidden ? 1 : 0);
        insert.Bind(5, updated.global_id);
        insert.Bind(6, subject);
        insert.Bind(7, text);
        if (insert.Step() != SQLITE_DONE) {
            // The item's folder was deleted after the item was made.
            if (insert.rc() == SQLITE_CONSTRAINT_FOREIGNKEY) {
                return outlook::MAPI_E_OBJECT_DELETED;
            }
            return Fail(insert.rc(), "save an item");
        }
        updated.row_id = sqlite3_last_insert_rowid(db_);
    } else {
        Statement update(
            db_, &idle_statements_,
            "UPDATE items SET folder_id = ?1, global_id = ?2, subject = ?3, record = ?4 WHERE id = ?5");
        update.Bind(1, updated.folder_id);
        update.Bind(2, updated.global_id);
        update.Bind(3, subject);
        update.Bind(4, text);
        update.Bind(5, updated.row_id);
        if (update.Step() != SQLITE_DONE) {
            return Fail(update.rc(), "save an item");
        }
        if (sqlite3_changes(db_) == 0) {
            return outlook::MAPI_E_OBJECT_DELETED;
        }
    }
    if (updated.kind == outlook::olContactItem) {
        ++contact_changes_;
    }
    hr = transaction.Commit();
    if (SUCCEEDED(hr)) {
        *record = std::move(updated);
    }
    return hr;
}

HRESULT Store::DeleteItem(std::int64_t row_id) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    Transaction transaction(this);
    HRESULT hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    Statement remove(db_, &idle_statements_, "DELETE FROM items WHERE id = ?1");
    remove.Bind(1, row_id);
    if (remove.Step() != SQLITE_DONE) {
        return Fail(remove.rc(), "delete an item");
    }
    if (sqlite3_changes(db_) == 0) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    ++contact_changes_;
    return transaction.Commit();
}

HRESULT Store::MoveItem(std::int64_t row_id, std::int64_t folder_id) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    Transaction transaction(this);
    HRESULT hr = transaction.Begun();
    if (FAILED(hr)) {
        return hr;
    }
    Statement move(db_, &idle_statements_, "UPDATE items SET folder_id = ?1 WHERE id = ?2");
    move.Bind(1, folder_id);
    move.Bind(2, row_id);
    if (move.Step() != SQLITE_DONE) {
        return Fail(move.rc(), "move an item");
    }
    if (sqlite3_changes(db_) == 0) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    ++contact_changes_;
    return transaction.Commit();
}

}  // namespace host
