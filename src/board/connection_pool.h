// Connections to a database, each used by one thread at a time and kept for the next. At most
// so many are open at once (a PostgreSQL server allows about a hundred clients in all); a thread
// that finds them all taken waits for one.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

template <typename Connection>
class ConnectionPool {
  public:
    using Opener = std::function<std::unique_ptr<Connection>()>;
    ConnectionPool(Opener open, std::size_t most) : open(std::move(open)), most(most) {}

    // A connection for one scope; back to the pool after it, unless it failed.
    class Lease {
      public:
        Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
            : pool(pool), connection(std::move(connection)) {}
        ~Lease() { pool.Return(Broken ? nullptr : std::move(connection)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection& operator*() { return *connection; }
        Connection* operator->() { return connection.get(); }
        bool Broken = false;  // set when the connection cannot be trusted any more

      private:
        ConnectionPool& pool;
        std::unique_ptr<Connection> connection;
    };

    Lease Take() {
        std::unique_lock lock(mutex);
        returned.wait(lock, [this] { return !idle.empty() || opened < most; });
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
    std::mutex mutex;
    std::condition_variable returned;
    std::vector<std::unique_ptr<Connection>> idle;
    std::size_t opened = 0;
};
