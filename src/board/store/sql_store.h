// The store on any SQL database: the queries are the same for SQLite and PostgreSQL (numbered
// parameters, each first used in order, which SQLite binds by position too); only connections
// and the schema's key column differ.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "store/connection_pool.h"
#include "store/store.h"

using SqlValue = std::variant<std::string, std::int64_t>;
using SqlRows = std::vector<std::vector<std::string>>;

class SqlConnection {
  public:
    virtual ~SqlConnection() = default;
    // Every column as text; NULL as "". Failures throw StoreError.
    virtual SqlRows Query(const std::string& sql, const std::vector<SqlValue>& params) = 0;
    void Execute(const std::string& sql) { Query(sql, {}); }
};

struct SqlDialect {
    const char* Begin;       // the write transaction's start
    const char* SerialType;  // the arrival order's column type
    const char* SchemaLock;  // taken in the transaction that builds the schema; "" for none
};

class SqlStore : public Store {
  public:
    SqlStore(ConnectionPool<SqlConnection>::Opener open, SqlDialect dialect,
             std::chrono::milliseconds wait);
    Added Add(const Run& run) override;
    std::optional<Run> Find(const std::string& id) override;
    std::vector<RankedRun> Board(const std::string& day, int limit) override;
    std::vector<Run> Race(const std::string& day, int best, int recent) override;
    std::int64_t RankOf(const std::string& id, const std::string& day) override;
    std::string Version() override;
    bool Healthy() override;
    int Hide(const std::string& id) override;
    int HideName(const std::string& name) override;
    std::vector<Run> RunsNamed(const std::string& name) override;

  private:
    int Hiding(const std::string& sql, const std::string& value);

    ConnectionPool<SqlConnection> pool;
    SqlDialect dialect;
};
