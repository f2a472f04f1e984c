#include "store/sql_store.h"

namespace {

// Connections one server keeps open at most: a PostgreSQL server takes about a hundred in all.
constexpr std::size_t kMostConnections = 32;

const char* const kVisible = " NOT EXISTS (SELECT 1 FROM hidden h WHERE h.id = r.id) ";
const std::string kInsert =
    "INSERT INTO runs (id, name, points, seed, frames, day, created, demo) "
    "VALUES ($1, $2, $3, $4, $5, NULLIF($6, ''), $7, $8) ON CONFLICT (id) DO NOTHING RETURNING seq";
const std::string kColumns =
    "SELECT r.id, r.name, r.points, r.seed, r.frames, COALESCE(r.day, ''), r.created, "
    "CASE WHEN EXISTS (SELECT 1 FROM hidden h WHERE h.id = r.id) THEN 1 ELSE 0 END";
const std::string kFindAny = kColumns + ", r.demo FROM runs r WHERE r.id = $1";
const std::string kFind = kFindAny + " AND" + kVisible;
// Equal points: whoever arrived first ranks first. Hidden runs are passed over.
const std::string kRankAll =
    "SELECT 1 + COUNT(*) FROM runs r, runs me WHERE me.id = $1 AND" + std::string(kVisible) +
    "AND (r.points > me.points OR (r.points = me.points AND r.seq < me.seq))";
const std::string kRankDay =
    "SELECT 1 + COUNT(*) FROM runs r, runs me WHERE me.id = $1 AND r.day = $2 AND" +
    std::string(kVisible) +
    "AND (r.points > me.points OR (r.points = me.points AND r.seq < me.seq))";
const std::string kBoardAll =
    kColumns + " FROM runs r WHERE" + kVisible + "ORDER BY r.points DESC, r.seq LIMIT $1";
const std::string kBoardDay = kColumns + " FROM runs r WHERE r.day = $1 AND" + kVisible +
                              "ORDER BY r.points DESC, r.seq LIMIT $2";
// A day's best in the board's order, then the newest of the rest: each walks an index of the day,
// and only the runs picked are joined for their demos.
const std::string kRace =
    "WITH best AS (SELECT r.id, r.points, r.seq FROM runs r WHERE r.day = $1 AND" +
    std::string(kVisible) +
    "ORDER BY r.points DESC, r.seq LIMIT $2), "
    "recent AS (SELECT r.id, r.seq FROM runs r WHERE r.day = $1 AND" +
    std::string(kVisible) +
    "AND r.id NOT IN (SELECT id FROM best) ORDER BY r.seq DESC LIMIT $3), "
    "picked AS (SELECT id, 0 AS part, -points AS first, seq AS second FROM best "
    "UNION ALL SELECT id, 1, -seq, 0 FROM recent) " +
    kColumns +
    ", r.demo FROM picked p JOIN runs r ON r.id = p.id ORDER BY p.part, p.first, p.second";
const std::string kNamed =
    kColumns + " FROM runs r WHERE r.name = $1 ORDER BY r.points DESC, r.seq";
const std::string kHide =
    "INSERT INTO hidden (id) SELECT id FROM runs WHERE id = $1 "
    "ON CONFLICT (id) DO NOTHING RETURNING id";
const std::string kHideName =
    "INSERT INTO hidden (id) SELECT id FROM runs WHERE name = $1 "
    "ON CONFLICT (id) DO NOTHING RETURNING id";
const std::string kVersion = "SELECT n FROM board_version";
// Every insert and hiding bumps it, for the boards every server keeps (api/answer_cache.h).
const std::string kBump = "UPDATE board_version SET n = n + 1";

std::vector<std::string> Schema(const SqlDialect& dialect) {
    return {std::string("CREATE TABLE IF NOT EXISTS runs (seq ") + dialect.SerialType +
                ", id TEXT NOT NULL UNIQUE, name TEXT NOT NULL, points BIGINT NOT NULL, "
                "seed BIGINT NOT NULL, frames BIGINT NOT NULL, day TEXT, created TEXT NOT NULL, "
                "demo TEXT NOT NULL)",
            "CREATE INDEX IF NOT EXISTS runs_all ON runs (points DESC, seq)",
            "CREATE INDEX IF NOT EXISTS runs_day ON runs (day, points DESC, seq)",
            "CREATE INDEX IF NOT EXISTS runs_day_arrival ON runs (day, seq)",
            "CREATE INDEX IF NOT EXISTS runs_name ON runs (name)",
            // Hidden runs stay in runs, so that the same run sent again stays hidden.
            "CREATE TABLE IF NOT EXISTS hidden (id TEXT PRIMARY KEY)",
            // Counts the changes to the boards, for every server's cache.
            "CREATE TABLE IF NOT EXISTS board_version (one INTEGER PRIMARY KEY, n BIGINT NOT NULL)",
            "INSERT INTO board_version (one, n) VALUES (1, 0) ON CONFLICT (one) DO NOTHING"};
}

Run RunOfRow(const std::vector<std::string>& row) {
    Run run;
    run.Id = row[0];
    run.Name = row[1];
    run.Points = std::stoll(row[2]);
    run.Seed = static_cast<std::uint32_t>(std::stoull(row[3]));
    run.Frames = std::stoll(row[4]);
    run.Day = row[5];
    run.Date = row[6];
    run.Hidden = row[7] == "1";
    if (row.size() > 8) run.Demo = row[8];
    return run;
}

std::vector<Run> RunsOf(const SqlRows& rows) {
    std::vector<Run> runs;
    for (const auto& row : rows) runs.push_back(RunOfRow(row));
    return runs;
}

std::int64_t Rank(SqlConnection& connection, const std::string& id, const std::string& day) {
    const SqlRows rows =
        day.empty() ? connection.Query(kRankAll, {id}) : connection.Query(kRankDay, {id, day});
    if (rows.empty()) throw StoreError(StoreFault::Bug, "no rank for run " + id);
    return std::stoll(rows[0][0]);
}

std::vector<RankedRun> ReadBoard(SqlConnection& connection, const std::string& day, int limit) {
    const SqlRows rows = day.empty() ? connection.Query(kBoardAll, {std::int64_t{limit}})
                                     : connection.Query(kBoardDay, {day, std::int64_t{limit}});
    std::vector<RankedRun> board;
    for (const auto& row : rows) {
        board.push_back({RunOfRow(row), static_cast<std::int64_t>(board.size()) + 1});
    }
    return board;
}

}  // namespace

SqlStore::SqlStore(ConnectionPool<SqlConnection>::Opener open, SqlDialect dialect,
                   std::chrono::milliseconds wait)
    : pool(std::move(open), kMostConnections, wait), dialect(dialect) {
    auto connection = pool.Take();
    // Servers that start together build the schema one after the other.
    connection->Execute(dialect.Begin);
    if (*dialect.SchemaLock != '\0') connection->Execute(dialect.SchemaLock);
    for (const std::string& statement : Schema(dialect)) connection->Execute(statement);
    connection->Execute("COMMIT");
}

Added SqlStore::Add(const Run& run) {
    auto connection = pool.Take();
    connection->Execute(dialect.Begin);
    const bool inserted =
        !connection
             ->Query(kInsert, {run.Id, run.Name, run.Points, std::int64_t{run.Seed}, run.Frames,
                               run.Day, run.Date, run.Demo})
             .empty();
    if (inserted) connection->Execute(kBump);
    const SqlRows rows = connection->Query(kFindAny, {run.Id});
    if (rows.empty()) throw StoreError(StoreFault::Bug, "run " + run.Id + " not kept");
    RankedRun kept{RunOfRow(rows[0]), 0};
    if (!kept.Entry.Hidden) kept.Rank = Rank(*connection, kept.Entry.Id, kept.Entry.Day);
    connection->Execute("COMMIT");
    return {kept, inserted};
}

std::optional<Run> SqlStore::Find(const std::string& id) {
    auto connection = pool.Take();
    const SqlRows rows = connection->Query(kFind, {id});
    if (rows.empty()) return std::nullopt;
    return RunOfRow(rows[0]);
}

std::vector<RankedRun> SqlStore::Board(const std::string& day, int limit) {
    auto connection = pool.Take();
    return ReadBoard(*connection, day, limit);
}

std::vector<Run> SqlStore::Race(const std::string& day, int best, int recent) {
    auto connection = pool.Take();
    return RunsOf(connection->Query(kRace, {day, std::int64_t{best}, std::int64_t{recent}}));
}

std::string SqlStore::Version() {
    auto connection = pool.Take();
    const SqlRows rows = connection->Query(kVersion, {});
    if (rows.empty()) throw StoreError(StoreFault::Bug, "the version row is missing");
    return rows[0][0];
}

std::int64_t SqlStore::RankOf(const std::string& id, const std::string& day) {
    auto connection = pool.Take();
    return Rank(*connection, id, day);
}

bool SqlStore::Healthy() {
    try {
        auto connection = pool.Take();
        return !connection->Query(kVersion, {}).empty();
    } catch (const StoreError&) {
        return false;
    }
}

int SqlStore::Hiding(const std::string& sql, const std::string& value) {
    auto connection = pool.Take();
    connection->Execute(dialect.Begin);
    const int hidden = static_cast<int>(connection->Query(sql, {value}).size());
    if (hidden > 0) connection->Execute(kBump);
    connection->Execute("COMMIT");
    return hidden;
}

int SqlStore::Hide(const std::string& id) { return Hiding(kHide, id); }

int SqlStore::HideName(const std::string& name) { return Hiding(kHideName, name); }

std::vector<Run> SqlStore::RunsNamed(const std::string& name) {
    auto connection = pool.Take();
    return RunsOf(connection->Query(kNamed, {name}));
}
