// Where the runs are kept: SQLite or PostgreSQL behind one small interface. Every call may come
// from any server thread; each implementation keeps a pool of connections for that. Failures
// throw StoreError.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

enum class StoreFault {
    // The database cannot be reached in time (refused, lost, every connection busy past the
    // wait, a statement past its timeout, a lock held past the busy timeout): worth a retry.
    Unavailable,
    // Anything else: a query or a row the store did not expect.
    Bug,
};

class StoreError : public std::runtime_error {
  public:
    StoreError(StoreFault fault, const std::string& what)
        : std::runtime_error(what), fault(fault) {}
    StoreFault Fault() const { return fault; }

  private:
    StoreFault fault;
};

struct Run {
    std::string Id;
    std::string Name;
    std::int64_t Points = 0;
    std::uint32_t Seed = 0;
    std::int64_t Frames = 0;
    std::string Day;      // "YYYY-MM-DD" for a day's cave, else empty
    std::string Date;     // when it arrived, UTC, "YYYY-MM-DDTHH:MM:SSZ"
    std::string Demo;     // the canonical demo text
    bool Hidden = false;  // taken off the boards by a moderator: kept, never served
};

struct RankedRun {
    Run Entry;
    std::int64_t Rank = 0;  // on the board asked for
};

struct Added {
    RankedRun Kept;
    bool New = false;  // false: a run with its id was kept already, and this is that one
};

class Store {
  public:
    virtual ~Store() = default;
    // Keeps the run unless one with its id is kept already, and commits; returns the kept one
    // (hidden or not) with its rank on the daily board when it has a day, else on the all-time
    // board.
    virtual Added Add(const Run& run) = 0;
    // Hidden runs are not found, not on boards and not counted in ranks.
    virtual std::optional<Run> Find(const std::string& id) = 0;
    // Best first, equal points by arrival; `day` empty is the all-time board. No demos.
    virtual std::vector<RankedRun> Board(const std::string& day, int limit) = 0;
    // The runs a page races on the cave of `day`: its `best` best (ranked as its board), then up
    // to `recent` of its most recent others, newest first. With their demos.
    virtual std::vector<Run> Race(const std::string& day, int best, int recent) = 0;
    // The run's rank on the board of `day` (empty: all-time).
    virtual std::int64_t RankOf(const std::string& id, const std::string& day) = 0;
    // Changes with every change to the runs, by any server on the database.
    virtual std::string Version() = 0;
    // True when the database answers a query in time.
    virtual bool Healthy() = 0;

    // Moderation. Each returns how many runs it hid that were not hidden before.
    virtual int Hide(const std::string& id) = 0;
    virtual int HideName(const std::string& name) = 0;
    // Every run kept under the name, hidden ones too, best first. No demos.
    virtual std::vector<Run> RunsNamed(const std::string& name) = 0;
};

// A folder's SQLite file (created on first use), or a postgresql:// URL. `timeout` bounds each
// wait on the database: for a connection, a lock, a statement.
std::unique_ptr<Store> OpenSqliteStore(const std::string& folder, std::chrono::seconds timeout);
std::unique_ptr<Store> OpenPostgresStore(const std::string& url, std::chrono::seconds timeout);
