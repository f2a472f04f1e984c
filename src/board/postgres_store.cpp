// PostgreSQL through libpq: the servers keep nothing of their own, so any number of them can
// share one database.
#include <libpq-fe.h>

#include <string_view>

#include "sql_store.h"

namespace {

// Lost connections, cancelled statements (their timeout), shutdowns, too many clients, locks not
// granted, conflicts: the database is there but cannot answer now.
bool Transient(std::string_view state) {
    for (const std::string_view prefix : {"08", "57", "53", "55P03", "40001", "40P01"}) {
        if (state.substr(0, prefix.size()) == prefix) return true;
    }
    return false;
}

class PostgresConnection : public SqlConnection {
  public:
    explicit PostgresConnection(const std::string& url) : db(PQconnectdb(url.c_str())) {
        if (PQstatus(db) != CONNECTION_OK) {
            const std::string error = PQerrorMessage(db);
            PQfinish(db);
            throw StoreError(StoreFault::Unavailable, "postgresql: cannot connect: " + error);
        }
    }
    ~PostgresConnection() override { PQfinish(db); }

    SqlRows Query(const char* sql, const std::vector<SqlValue>& params) override {
        std::vector<std::string> texts;
        for (const SqlValue& value : params) {
            texts.push_back(std::holds_alternative<std::int64_t>(value)
                                ? std::to_string(std::get<std::int64_t>(value))
                                : std::get<std::string>(value));
        }
        std::vector<const char*> values;
        for (const std::string& text : texts) values.push_back(text.c_str());
        PGresult* result = PQexecParams(db, sql, static_cast<int>(values.size()), nullptr,
                                        values.data(), nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            const std::string error = PQresultErrorMessage(result);
            const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
            const bool transient = PQstatus(db) != CONNECTION_OK || !state || Transient(state);
            PQclear(result);
            throw StoreError(transient ? StoreFault::Unavailable : StoreFault::Bug,
                             "postgresql: " + error);
        }
        SqlRows rows(static_cast<std::size_t>(PQntuples(result)));
        for (int r = 0; r < PQntuples(result); ++r) {
            for (int c = 0; c < PQnfields(result); ++c)
                rows[r].emplace_back(PQgetvalue(result, r, c));
        }
        PQclear(result);
        return rows;
    }

  private:
    PGconn* db;
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& url) {
    return std::make_unique<SqlStore>(
        [url] { return std::make_unique<PostgresConnection>(url); },
        SqlDialect{"BEGIN", "BIGSERIAL PRIMARY KEY", "SELECT pg_advisory_xact_lock(31)"});
}
