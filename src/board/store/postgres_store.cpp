// PostgreSQL through libpq: the servers keep nothing of their own, so any number of them can
// share one database. Every wait on it is bounded: connecting (connect_timeout), each statement
// on the server (statement_timeout) and, for a server that stops answering at all, each answer
// on the client's side.
#include <libpq-fe.h>
#include <poll.h>

#include <cerrno>
#include <string_view>

#include "store/sql_store.h"

namespace {

using Clock = std::chrono::steady_clock;

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
    PostgresConnection(const std::string& url, std::chrono::seconds timeout) : timeout(timeout) {
        // The URL's own connect_timeout, if it has one, comes after ours and wins.
        const std::string seconds = std::to_string(timeout.count());
        const char* keys[] = {"connect_timeout", "dbname", nullptr};
        const char* values[] = {seconds.c_str(), url.c_str(), nullptr};
        db = PQconnectdbParams(keys, values, 1);
        if (PQstatus(db) != CONNECTION_OK) {
            const std::string error = PQerrorMessage(db);
            PQfinish(db);
            throw StoreError(StoreFault::Unavailable, "postgresql: cannot connect: " + error);
        }
        try {
            Execute("SET statement_timeout = " + std::to_string(timeout.count() * 1000));
        } catch (...) {
            PQfinish(db);
            throw;
        }
    }
    ~PostgresConnection() override { PQfinish(db); }

    SqlRows Query(const std::string& sql, const std::vector<SqlValue>& params) override {
        std::vector<std::string> texts;
        for (const SqlValue& value : params) {
            texts.push_back(std::holds_alternative<std::int64_t>(value)
                                ? std::to_string(std::get<std::int64_t>(value))
                                : std::get<std::string>(value));
        }
        std::vector<const char*> values;
        for (const std::string& text : texts) values.push_back(text.c_str());
        if (!PQsendQueryParams(db, sql.c_str(), static_cast<int>(values.size()), nullptr,
                               values.data(), nullptr, nullptr, 0)) {
            Fail(nullptr);
        }
        PGresult* result = Answer();
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) Fail(result);
        SqlRows rows(static_cast<std::size_t>(PQntuples(result)));
        for (int r = 0; r < PQntuples(result); ++r) {
            for (int c = 0; c < PQnfields(result); ++c)
                rows[r].emplace_back(PQgetvalue(result, r, c));
        }
        PQclear(result);
        return rows;
    }

  private:
    // The statement's first result, once every result of it has arrived; waits no longer than
    // the statement may take, and a little more for the server to say it gave up.
    PGresult* Answer() {
        const Clock::time_point deadline = Clock::now() + timeout + std::chrono::seconds(1);
        PGresult* first = nullptr;
        for (;;) {
            while (PQisBusy(db)) {
                if (!WaitForInput(deadline) || !PQconsumeInput(db)) {
                    PQclear(first);
                    throw StoreError(StoreFault::Unavailable, "postgresql: no answer in time");
                }
            }
            PGresult* next = PQgetResult(db);
            if (next == nullptr) break;
            if (first == nullptr) {
                first = next;
            } else {
                PQclear(next);
            }
        }
        if (first == nullptr) Fail(nullptr);
        return first;
    }

    bool WaitForInput(Clock::time_point deadline) {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            pollfd waiting{PQsocket(db), POLLIN, 0};
            const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
            if (ready > 0) return true;
            if (ready == 0 || errno != EINTR) return false;
        }
    }

    [[noreturn]] void Fail(PGresult* result) {
        const std::string error = result ? PQresultErrorMessage(result) : PQerrorMessage(db);
        const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const bool transient = PQstatus(db) != CONNECTION_OK || !state || Transient(state);
        PQclear(result);
        throw StoreError(transient ? StoreFault::Unavailable : StoreFault::Bug,
                         "postgresql: " + error);
    }

    std::chrono::seconds timeout;
    PGconn* db = nullptr;
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& url, std::chrono::seconds timeout) {
    return std::make_unique<SqlStore>(
        [url, timeout] { return std::make_unique<PostgresConnection>(url, timeout); },
        SqlDialect{"BEGIN", "BIGSERIAL PRIMARY KEY", "SELECT pg_advisory_xact_lock(31)"}, timeout);
}
