// PostgreSQL through libpq: the servers keep nothing of their own, so any number of them can
// share one database.
#include <libpq-fe.h>

#include <stdexcept>

#include "sql_store.h"

namespace {

class PostgresConnection : public SqlConnection {
  public:
    explicit PostgresConnection(const std::string& url) : db(PQconnectdb(url.c_str())) {
        if (PQstatus(db) != CONNECTION_OK) {
            const std::string error = PQerrorMessage(db);
            PQfinish(db);
            throw std::runtime_error("postgresql: cannot connect: " + error);
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
            PQclear(result);
            throw std::runtime_error("postgresql: " + error);
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
