// Connections to a database, each used by one thread at a time and kept for the next. At most
// so many are open at once (a PostgreSQL server allows about a hundred clients in all); a thread
// that finds them all taken waits for one, up to a deadline.
#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "store/store.h"

template <typename Connection>
class ConnectionPool {
  public:
    using Opener = std::function<std::unique_ptr<Connection>()>;
    ConnectionPool(Opener open, std::size_t most, std::chrono::milliseconds wait)
        : open(std::move(open)), most(most), wait(wait) {}

    // A connection for one scope. It goes back to the pool only when the scope ends normally: one
    // left by an exception may hold half a transaction or a lost link, and is closed instead
    // (closing rolls back what was begun).
    class Lease {
      public:
        Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
            : pool(pool), connection(std::move(connection)), failures(std::uncaught_exceptions()) {}
        ~Lease() {
            const bool clean = std::uncaught_exceptions() == failures;
            pool.Return(clean ? std::move(connection) : nullptr);
        }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection& operator*() { return *connection; }
        Connection* operator->() { return connection.get(); }

      private:
        ConnectionPool& pool;
        std::unique_ptr<Connection> connection;
        int failures;
    };

    // Throws StoreError (unavailable) when no connection frees up within the wait.
    Lease Take() {
        std::unique_lock lock(mutex);
        if (!returned.wait_for(lock, wait, [this] { return !idle.empty() || opened < most; })) {
            throw StoreError(StoreFault::Unavailable, "every database connection stayed busy");
        }
        if (!idle.empty()) {
            std::unique_ptr<Connection> connection = std::move(idle.back());
            idle.pop_back();
            return Lease(*this, std::move(connection));
        }
        ++opened;
        lock.unlock();
        try {
            return Lease(*this, open());
        } catch (...) {
            Return(nullptr);
            throw;
        }
    }

  private:
    // A null connection is one closed: its place is free for a new one.
    void Return(std::unique_ptr<Connection> connection) {
        {
            std::lock_guard lock(mutex);
            if (connection) {
                idle.push_back(std::move(connection));
            } else {
                --opened;
            }
        }
        returned.notify_one();
    }

    Opener open;
    std::size_t most;
    std::chrono::milliseconds wait;
    std::mutex mutex;
    std::condition_variable returned;
    std::vector<std::unique_ptr<Connection>> idle;
    std::size_t opened = 0;
};
