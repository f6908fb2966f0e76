#include <sqlite3.h>

#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace platform {
namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr int kCurrentUser = 1;
constexpr int kLocalMachine = 2;
constexpr std::string_view kClassesPrefix = "Software\\Classes";

class Database {
  public:
    explicit Database(const std::string& file) : m_file(file) {
        if (sqlite3_open_v2(file.c_str(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                            nullptr) != SQLITE_OK) {
            Close();
            return;
        }
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        if (!Exec("PRAGMA journal_mode=WAL;") ||
            !Exec("CREATE TABLE IF NOT EXISTS reg_keys(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE "
                  "NOCASE,"
                  " PRIMARY KEY(root, path));"
                  "CREATE TABLE IF NOT EXISTS reg_values(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE "
                  "NOCASE,"
                  " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
                  " PRIMARY KEY(root, path, name));")) {
            Close();
        }
    }
    ~Database() { Close(); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Whether this connection is to `file` as it is on disk now (not a file since removed or replaced).
    bool IsOf(const std::string& file, const struct stat& info) const {
        return m_db != nullptr && m_file == file && m_device == info.st_dev && m_inode == info.st_ino;
    }
    void Remember(const struct stat& info) {
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }
    bool IsOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }
    bool Exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

  private:
    void Close() {
        if (m_db)
            sqlite3_close(m_db);
        m_db = nullptr;
    }
    std::string m_file;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    sqlite3* m_db = nullptr;
};

// The connection to the current registry file, held for one call. Opening one (journal mode, schema) cost
// more than the settings reads it served, so it is kept between calls; a change of VELSYNC_HOME or a file
// removed or replaced opens a new one. Outside a transaction each statement sees other processes' commits,
// and no transaction outlives the call.
class Connection {
  public:
    Connection() : m_lock(Lock()) {
        std::unique_ptr<Database>& kept = Kept();
        const std::string file = VelsyncHome() + "/registry.db";
        struct stat info {};
        if (!kept || stat(file.c_str(), &info) != 0 || !kept->IsOf(file, info)) {
            kept = std::make_unique<Database>(file);
            if (kept->IsOpen() && stat(file.c_str(), &info) == 0)
                kept->Remember(info);
        }
        m_db = kept.get();
    }
    ~Connection() {
        if (m_db->IsOpen() && sqlite3_get_autocommit(m_db->handle()) == 0)
            m_db->Exec("ROLLBACK;");
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Database& db() { return *m_db; }

  private:
    static std::mutex& Lock() {
        static std::mutex lock;
        return lock;
    }
    static std::unique_ptr<Database>& Kept() {
        static std::unique_ptr<Database> kept;
        return kept;
    }

    std::lock_guard<std::mutex> m_lock;
    Database* m_db = nullptr;
};

class Statement {
  public:
    Statement(const Database& db, const char* sql) {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool IsValid() const { return m_statement != nullptr; }
    void Bind(int index, int value) { sqlite3_bind_int(m_statement, index, value); }
    void Bind(int index, std::string_view text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void BindBlob(int index, const std::uint8_t* data, DWORD size) {
        static const std::uint8_t kEmpty = 0;
        sqlite3_bind_blob(m_statement, index, size ? data : &kEmpty, static_cast<int>(size),
                          SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(m_statement); }
    sqlite3_stmt* get() const { return m_statement; }

  private:
    sqlite3_stmt* m_statement = nullptr;
};

std::string NormalizePath(std::string_view path) {
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start) {
            if (!out.empty())
                out += '\\';
            out.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

std::string JoinPath(std::string_view a, std::string_view b) {
    return NormalizePath(std::string(a) + "\\" + std::string(b));
}

bool KeyExists(Database& db, int root, const std::string& path) {
    if (path.empty())
        return true;
    Statement query(db, "SELECT 1 FROM reg_keys WHERE root=?1 AND path=?2;");
    if (!query.IsValid())
        return false;
    query.Bind(1, root);
    query.Bind(2, path);
    return query.Step() == SQLITE_ROW;
}

int RootNumber(RootKey root) {
    return root == RootKey::LocalMachine ? kLocalMachine : kCurrentUser;
}

// HKCR reads the per-user classes first, then the machine's.
bool ResolveForOpen(Database& db, RootKey root, std::string_view path, RootKey* real_root,
                    std::string* real_path) {
    if (root != RootKey::ClassesRoot) {
        *real_root = root;
        *real_path = NormalizePath(path);
        return KeyExists(db, RootNumber(root), *real_path);
    }
    const std::string classes_path = JoinPath(kClassesPrefix, path);
    for (RootKey candidate : {RootKey::CurrentUser, RootKey::LocalMachine}) {
        if (KeyExists(db, RootNumber(candidate), classes_path)) {
            *real_root = candidate;
            *real_path = classes_path;
            return true;
        }
    }
    return false;
}

std::string EncodeUtf16Le(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    std::string bytes;
    bytes.reserve((wide.size() + 1) * 2);
    for (char16_t unit : wide) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

}  // namespace

LONG RegistryKey::Open(RootKey root, std::string_view path, std::unique_ptr<RegistryKey>* key) {
    Connection connection;
    Database& db = connection.db();
    if (!db.IsOpen())
        return ERROR_BADDB;
    RootKey real_root = root;
    std::string real_path;
    if (!ResolveForOpen(db, root, path, &real_root, &real_path))
        return ERROR_FILE_NOT_FOUND;
    key->reset(new RegistryKey(real_root, real_path));
    return ERROR_SUCCESS;
}

LONG RegistryKey::Create(RootKey root, std::string_view path, std::unique_ptr<RegistryKey>* key) {
    Connection connection;
    Database& db = connection.db();
    if (!db.IsOpen())
        return ERROR_BADDB;
    RootKey real_root = root;
    std::string real_path;
    if (!ResolveForOpen(db, root, path, &real_root, &real_path)) {
        real_root = root == RootKey::ClassesRoot ? RootKey::LocalMachine : root;
        real_path = root == RootKey::ClassesRoot ? JoinPath(kClassesPrefix, path) : NormalizePath(path);
        if (!db.Exec("BEGIN IMMEDIATE;"))
            return ERROR_BUSY;
        Statement insert(db, "INSERT OR IGNORE INTO reg_keys(root, path) VALUES(?1, ?2);");
        if (!insert.IsValid()) {
            db.Exec("ROLLBACK;");
            return ERROR_BADDB;
        }
        for (std::size_t end = 0; end != std::string::npos;) {
            end = real_path.find('\\', end + 1);
            sqlite3_reset(insert.get());
            insert.Bind(1, RootNumber(real_root));
            insert.Bind(2, std::string_view(real_path).substr(0, end));
            if (insert.Step() != SQLITE_DONE) {
                db.Exec("ROLLBACK;");
                return ERROR_BADDB;
            }
        }
        if (!db.Exec("COMMIT;"))
            return ERROR_BUSY;
    }
    key->reset(new RegistryKey(real_root, real_path));
    return ERROR_SUCCESS;
}

LONG RegistryKey::DeleteTree(RootKey root, std::string_view path) {
    Connection connection;
    Database& db = connection.db();
    if (!db.IsOpen())
        return ERROR_BADDB;
    RootKey real_root = root;
    std::string real_path;
    if (!ResolveForOpen(db, root, path, &real_root, &real_path))
        return ERROR_FILE_NOT_FOUND;
    if (real_path.empty())
        return ERROR_ACCESS_DENIED;
    const std::string prefix = real_path + "\\";
    if (!db.Exec("BEGIN IMMEDIATE;"))
        return ERROR_BUSY;
    for (const char* sql :
         {"DELETE FROM reg_keys WHERE root=?1 AND (path=?2 OR lower(substr(path,1,?3))=lower(?4));",
          "DELETE FROM reg_values WHERE root=?1 AND (path=?2 OR lower(substr(path,1,?3))=lower(?4));"}) {
        Statement remove(db, sql);
        if (!remove.IsValid()) {
            db.Exec("ROLLBACK;");
            return ERROR_BADDB;
        }
        remove.Bind(1, RootNumber(real_root));
        remove.Bind(2, real_path);
        remove.Bind(3, static_cast<int>(prefix.size()));
        remove.Bind(4, prefix);
        if (remove.Step() != SQLITE_DONE) {
            db.Exec("ROLLBACK;");
            return ERROR_BADDB;
        }
    }
    return db.Exec("COMMIT;") ? ERROR_SUCCESS : ERROR_BUSY;
}

LONG RegistryKey::QueryValue(std::string_view name, DWORD* type, std::uint8_t* data, DWORD* size) const {
    Connection connection;
    Database& db = connection.db();
    if (!db.IsOpen())
        return ERROR_BADDB;
    if (!KeyExists(db, RootNumber(root_), path_))
        return ERROR_KEY_DELETED;
    Statement query(db, "SELECT type, data FROM reg_values WHERE root=?1 AND path=?2 AND name=?3;");
    if (!query.IsValid())
        return ERROR_BADDB;
    query.Bind(1, RootNumber(root_));
    query.Bind(2, path_);
    query.Bind(3, name);
    if (query.Step() != SQLITE_ROW)
        return ERROR_FILE_NOT_FOUND;
    const auto stored_type = static_cast<DWORD>(sqlite3_column_int(query.get(), 0));
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(query.get(), 1));
    const auto length = static_cast<DWORD>(sqlite3_column_bytes(query.get(), 1));
    if (type)
        *type = stored_type;
    if (size == nullptr)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const DWORD capacity = *size;
    *size = length;
    if (data == nullptr)
        return ERROR_SUCCESS;
    if (capacity < length)
        return ERROR_MORE_DATA;
    if (length)
        std::memcpy(data, bytes, length);
    return ERROR_SUCCESS;
}

LONG RegistryKey::SetValue(std::string_view name, DWORD type, const std::uint8_t* data, DWORD size) {
    if (data == nullptr && size != 0)
        return ERROR_INVALID_PARAMETER;
    Connection connection;
    Database& db = connection.db();
    if (!db.IsOpen())
        return ERROR_BADDB;
    if (!KeyExists(db, RootNumber(root_), path_))
        return ERROR_KEY_DELETED;
    Statement upsert(
        db, "INSERT OR REPLACE INTO reg_values(root, path, name, type, data) VALUES(?1,?2,?3,?4,?5);");
    if (!upsert.IsValid())
        return ERROR_BADDB;
    upsert.Bind(1, RootNumber(root_));
    upsert.Bind(2, path_);
    upsert.Bind(3, name);
    upsert.Bind(4, static_cast<int>(type));
    upsert.BindBlob(5, data, size);
    return upsert.Step() == SQLITE_DONE ? ERROR_SUCCESS : ERROR_BUSY;
}

LONG RegistryKey::EnumSubKeys(std::vector<std::string>* names) const {
    Connection connection;
    Database& db = connection.db();
    if (!db.IsOpen())
        return ERROR_BADDB;
    const std::string prefix = path_.empty() ? std::string() : path_ + "\\";
    Statement query(db,
                    "SELECT path FROM reg_keys WHERE root=?1 AND lower(substr(path,1,?2))=lower(?3) "
                    "AND instr(substr(path,?2+1),'\\')=0 AND length(path)>?2 ORDER BY path COLLATE NOCASE;");
    if (!query.IsValid())
        return ERROR_BADDB;
    query.Bind(1, RootNumber(root_));
    query.Bind(2, static_cast<int>(prefix.size()));
    query.Bind(3, prefix);
    std::vector<std::string> found;
    while (query.Step() == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0));
        found.emplace_back(std::string(text ? text : "").substr(prefix.size()));
    }
    *names = std::move(found);
    return ERROR_SUCCESS;
}

LONG SetStringValue(RegistryKey& key, std::string_view name, std::string_view utf8, DWORD type) {
    const std::string bytes = EncodeUtf16Le(utf8);
    return key.SetValue(name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

LONG SetDwordValue(RegistryKey& key, std::string_view name, DWORD value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    return key.SetValue(name, REG_DWORD, bytes, 4);
}

LONG QueryStringValue(const RegistryKey& key, std::string_view name, DWORD buffer_bytes, std::string* value) {
    std::vector<std::uint8_t> buffer(buffer_bytes);
    DWORD type = REG_NONE;
    DWORD size = buffer_bytes;
    const LONG result = key.QueryValue(name, &type, buffer.data(), &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    if (size == 0) {
        value->clear();
        return ERROR_SUCCESS;
    }
    if (size % 2 != 0 || buffer[size - 1] != 0 || buffer[size - 2] != 0)
        return ERROR_INVALID_DATA;
    std::u16string wide;
    for (DWORD i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
        if (unit == 0)
            break;
        wide.push_back(unit);
    }
    *value = Utf16ToUtf8(wide);
    return ERROR_SUCCESS;
}

LONG QueryDwordValue(const RegistryKey& key, std::string_view name, DWORD* value) {
    std::uint8_t bytes[4] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof bytes;
    const LONG result = key.QueryValue(name, &type, bytes, &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_DWORD || size != 4)
        return ERROR_INVALID_DATA;
    *value = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
             static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
    return ERROR_SUCCESS;
}

}  // namespace platform
