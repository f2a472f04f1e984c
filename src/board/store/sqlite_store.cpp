// SQLite: one file in the data folder, WAL so that reads never wait for the writer, a busy
// timeout for writers that meet, and every write in BEGIN IMMEDIATE, which takes the write lock
// up front instead of failing half way.
#include <sqlite3.h>

#include <filesystem>
#include <unordered_map>

#include "store/sql_store.h"

namespace {

class SqliteConnection : public SqlConnection {
  public:
    SqliteConnection(const std::string& path, std::chrono::milliseconds busy) {
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            const std::string error = db ? sqlite3_errmsg(db) : "out of memory";
            sqlite3_close(db);
            throw StoreError(StoreFault::Unavailable, "cannot open " + path + ": " + error);
        }
        sqlite3_busy_timeout(db, static_cast<int>(busy.count()));
        Execute("PRAGMA journal_mode=WAL");
        // Each commit reaches the disk before the 201 goes out.
        Execute("PRAGMA synchronous=FULL");
    }
    ~SqliteConnection() override {
        for (auto& [sql, statement] : statements) sqlite3_finalize(statement);
        sqlite3_close(db);
    }

    SqlRows Query(const std::string& sql, const std::vector<SqlValue>& params) override {
        sqlite3_stmt* statement = Prepared(sql);
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        for (std::size_t i = 0; i < params.size(); ++i)
            Bind(statement, static_cast<int>(i) + 1, params[i]);
        SqlRows rows;
        int step = 0;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) rows.push_back(Row(statement));
        if (step != SQLITE_DONE) Fail(sql.c_str());
        sqlite3_reset(statement);
        return rows;
    }

  private:
    // Prepared once a connection: every query's text is one of a few constants.
    sqlite3_stmt* Prepared(const std::string& sql) {
        const auto found = statements.find(sql);
        if (found != statements.end()) return found->second;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()),
                               SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
            Fail(sql.c_str());
        }
        statements.emplace(sql, statement);
        return statement;
    }

    void Bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
        const int bound =
            std::holds_alternative<std::int64_t>(value)
                ? sqlite3_bind_int64(statement, index, std::get<std::int64_t>(value))
                : sqlite3_bind_text(statement, index, std::get<std::string>(value).c_str(), -1,
                                    SQLITE_TRANSIENT);
        if (bound != SQLITE_OK) Fail("bind");
    }

    static std::vector<std::string> Row(sqlite3_stmt* statement) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        return row;
    }

    // A lock held past the busy timeout, a disk that fails or is full: worth a retry later.
    [[noreturn]] void Fail(const char* what) {
        const int code = sqlite3_errcode(db) & 0xff;
        const bool transient = code == SQLITE_BUSY || code == SQLITE_LOCKED ||
                               code == SQLITE_IOERR || code == SQLITE_FULL ||
                               code == SQLITE_CANTOPEN;
        throw StoreError(transient ? StoreFault::Unavailable : StoreFault::Bug,
                         std::string("sqlite: ") + sqlite3_errmsg(db) + " (" + what + ")");
    }

    sqlite3* db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& folder, std::chrono::seconds timeout) {
    std::filesystem::create_directories(folder);
    const std::string path = (std::filesystem::path(folder) / "board.sqlite").string();
    return std::make_unique<SqlStore>(
        [path, timeout] { return std::make_unique<SqliteConnection>(path, timeout); },
        SqlDialect{"BEGIN IMMEDIATE", "INTEGER PRIMARY KEY AUTOINCREMENT", ""}, timeout);
}
