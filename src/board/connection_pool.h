// Connections to a database, each used by one thread at a time and kept for the next.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

template <typename Connection>
class ConnectionPool {
  public:
    using Opener = std::function<std::unique_ptr<Connection>()>;
    explicit ConnectionPool(Opener open) : open(std::move(open)) {}

    // A connection for one scope; back to the pool after it, unless it failed.
    class Lease {
      public:
        Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
            : pool(pool), connection(std::move(connection)) {}
        ~Lease() {
            if (connection && !Broken) pool.Return(std::move(connection));
        }
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
        {
            std::lock_guard lock(mutex);
            if (!idle.empty()) {
                std::unique_ptr<Connection> connection = std::move(idle.back());
                idle.pop_back();
                return Lease(*this, std::move(connection));
            }
        }
        return Lease(*this, open());
    }

  private:
    void Return(std::unique_ptr<Connection> connection) {
        std::lock_guard lock(mutex);
        idle.push_back(std::move(connection));
    }

    Opener open;
    std::mutex mutex;
    std::vector<std::unique_ptr<Connection>> idle;
};
