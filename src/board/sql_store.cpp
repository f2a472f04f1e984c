#include "sql_store.h"

#include <stdexcept>

namespace {

// Connections one server keeps open at most: a PostgreSQL server takes about a hundred in all.
constexpr std::size_t kMostConnections = 32;

const char* const kInsert =
    "INSERT INTO runs (id, name, points, seed, frames, day, created, demo) "
    "VALUES ($1, $2, $3, $4, $5, NULLIF($6, ''), $7, $8) ON CONFLICT (id) DO NOTHING RETURNING seq";
const char* const kFind =
    "SELECT id, name, points, seed, frames, COALESCE(day, ''), created, demo FROM runs "
    "WHERE id = $1";
// Equal points: whoever arrived first ranks first.
const char* const kRankAll =
    "SELECT 1 + COUNT(*) FROM runs r, runs me WHERE me.id = $1 AND "
    "(r.points > me.points OR (r.points = me.points AND r.seq < me.seq))";
const char* const kRankDay =
    "SELECT 1 + COUNT(*) FROM runs r, runs me WHERE me.id = $1 AND r.day = $2 AND "
    "(r.points > me.points OR (r.points = me.points AND r.seq < me.seq))";
const char* const kBoardAll =
    "SELECT id, name, points, seed, frames, COALESCE(day, ''), created FROM runs "
    "ORDER BY points DESC, seq LIMIT $1";
const char* const kBoardDay =
    "SELECT id, name, points, seed, frames, COALESCE(day, ''), created FROM runs "
    "WHERE day = $1 ORDER BY points DESC, seq LIMIT $2";

std::string Schema(const SqlDialect& dialect) {
    return std::string("CREATE TABLE IF NOT EXISTS runs (seq ") + dialect.SerialType +
           ", id TEXT NOT NULL UNIQUE, name TEXT NOT NULL, points BIGINT NOT NULL, "
           "seed BIGINT NOT NULL, frames BIGINT NOT NULL, day TEXT, created TEXT NOT NULL, "
           "demo TEXT NOT NULL)";
}
const char* const kIndexAll = "CREATE INDEX IF NOT EXISTS runs_all ON runs (points DESC, seq)";
const char* const kIndexDay = "CREATE INDEX IF NOT EXISTS runs_day ON runs (day, points DESC, seq)";

Run RunOfRow(const std::vector<std::string>& row) {
    Run run;
    run.Id = row[0];
    run.Name = row[1];
    run.Points = std::stoll(row[2]);
    run.Seed = static_cast<std::uint32_t>(std::stoull(row[3]));
    run.Frames = std::stoll(row[4]);
    run.Day = row[5];
    run.Date = row[6];
    if (row.size() > 7) run.Demo = row[7];
    return run;
}

std::int64_t Rank(SqlConnection& connection, const std::string& id, const std::string& day) {
    const SqlRows rows =
        day.empty() ? connection.Query(kRankAll, {id}) : connection.Query(kRankDay, {id, day});
    if (rows.empty()) throw StoreError(StoreFault::Bug, "no rank for run " + id);
    return std::stoll(rows[0][0]);
}

}  // namespace

SqlStore::SqlStore(ConnectionPool<SqlConnection>::Opener open, SqlDialect dialect)
    : pool(std::move(open), kMostConnections), dialect(dialect) {
    auto connection = pool.Take();
    connection.Broken = true;
    // Servers that start together build the schema one after the other.
    connection->Execute(dialect.Begin);
    if (*dialect.SchemaLock != '\0') connection->Execute(dialect.SchemaLock);
    connection->Execute(Schema(dialect).c_str());
    connection->Execute(kIndexAll);
    connection->Execute(kIndexDay);
    connection->Execute("COMMIT");
    connection.Broken = false;
}

Added SqlStore::Add(const Run& run) {
    auto connection = pool.Take();
    // Any failure leaves the connection behind, and closing it rolls back what was begun.
    connection.Broken = true;
    connection->Execute(dialect.Begin);
    const bool inserted =
        !connection
             ->Query(kInsert, {run.Id, run.Name, run.Points, std::int64_t{run.Seed}, run.Frames,
                               run.Day, run.Date, run.Demo})
             .empty();
    const SqlRows rows = connection->Query(kFind, {run.Id});
    if (rows.empty()) throw StoreError(StoreFault::Bug, "run " + run.Id + " not kept");
    RankedRun kept{RunOfRow(rows[0]), 0};
    kept.Rank = Rank(*connection, kept.Entry.Id, kept.Entry.Day);
    connection->Execute("COMMIT");
    connection.Broken = false;
    return {kept, inserted};
}

std::optional<Run> SqlStore::Find(const std::string& id) {
    auto connection = pool.Take();
    connection.Broken = true;
    const SqlRows rows = connection->Query(kFind, {id});
    connection.Broken = false;
    if (rows.empty()) return std::nullopt;
    return RunOfRow(rows[0]);
}

std::vector<RankedRun> SqlStore::Board(const std::string& day, int limit) {
    auto connection = pool.Take();
    connection.Broken = true;
    const SqlRows rows = day.empty() ? connection->Query(kBoardAll, {std::int64_t{limit}})
                                     : connection->Query(kBoardDay, {day, std::int64_t{limit}});
    connection.Broken = false;
    std::vector<RankedRun> board;
    for (const auto& row : rows) {
        board.push_back({RunOfRow(row), static_cast<std::int64_t>(board.size()) + 1});
    }
    return board;
}

std::int64_t SqlStore::RankOf(const std::string& id, const std::string& day) {
    auto connection = pool.Take();
    connection.Broken = true;
    const std::int64_t rank = Rank(*connection, id, day);
    connection.Broken = false;
    return rank;
}
