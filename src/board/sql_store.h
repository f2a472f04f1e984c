// The store on any SQL database: the queries are the same for SQLite and PostgreSQL (numbered
// parameters, each first used in order, which SQLite binds by position too); only connections
// and the schema's key column differ.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "connection_pool.h"
#include "store.h"

using SqlValue = std::variant<std::string, std::int64_t>;
using SqlRows = std::vector<std::vector<std::string>>;

class SqlConnection {
  public:
    virtual ~SqlConnection() = default;
    // Every column as text; NULL as "".
    virtual SqlRows Query(const char* sql, const std::vector<SqlValue>& params) = 0;
    void Execute(const char* sql) { Query(sql, {}); }
};

struct SqlDialect {
    const char* Begin;       // the write transaction's start
    const char* SerialType;  // the arrival order's column type
    const char* SchemaLock;  // taken in the transaction that builds the schema; "" for none
};

class SqlStore : public Store {
  public:
    SqlStore(ConnectionPool<SqlConnection>::Opener open, SqlDialect dialect);
    Added Add(const Run& run) override;
    std::optional<Run> Find(const std::string& id) override;
    std::vector<RankedRun> Board(const std::string& day, int limit) override;
    std::int64_t RankOf(const std::string& id, const std::string& day) override;

  private:
    ConnectionPool<SqlConnection> pool;
    SqlDialect dialect;
};
