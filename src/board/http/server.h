// The board's HTTP core: a few I/O threads serve every connection, and each size, time and
// count a client controls has a bound.
#pragma once

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "access_log.h"
#include "exchange.h"
#include "metrics.h"

struct ServerLimits {
    std::chrono::seconds Request{10};  // a request's head and body, from its first byte
    std::chrono::seconds Idle{5};      // between requests on one connection
    std::chrono::seconds Write{10};    // an answer to a reader that does not read
    std::chrono::seconds Drain{10};    // requests in flight when told to stop
    int RequestsPerConnection = 100;
    std::size_t HeaderBytes = 8 * 1024;
    std::size_t BodyBytes = 256 * 1024;
    std::size_t Connections = 1000;  // open at once
    std::size_t PerAddress = 32;     // served at once from one address (a trusted proxy: no cap);
                                     // as many more wait their turn, the rest are closed
    std::string TrustedProxy;        // the address whose forwarded address is believed
};

// Answers a request; `done` may be called from any thread, exactly once.
using Respond = std::function<void(HttpResponse)>;
using Handler = std::function<void(HttpRequest&, Respond)>;

class Session;

class HttpServer {
  public:
    HttpServer(ServerLimits limits, Metrics& metrics, AccessLog* log);
    ~HttpServer();
    // Listens for `handler`'s requests; returns the port (a free one for 0). Throws.
    int Listen(const std::string& host, int port, Handler handler);
    // Serves on `threads` threads until SIGTERM or SIGINT, then drains; returns then.
    void Run(int threads);

  private:
    friend class Session;
    struct Listener;
    void Accept(const std::shared_ptr<Listener>& listener);
    // False: refused. Else counted, and served at once or put in its address's waiting line.
    bool Admit(const std::string& peer, const std::shared_ptr<Session>& session);
    void Release(const std::string& peer, bool served);
    void Stop();
    void Serve();
    void Drain(std::chrono::steady_clock::time_point until);

    ServerLimits limits;
    Metrics& metrics;
    AccessLog* log;
    std::vector<std::shared_ptr<Listener>> listeners;
    std::mutex mutex;
    struct Address {
        std::size_t Served = 0;
        std::deque<std::weak_ptr<Session>> Waiting;  // over the cap: served when one leaves
    };
    std::map<std::string, Address> perAddress;
    std::set<std::weak_ptr<Session>, std::owner_less<std::weak_ptr<Session>>> sessions;
    std::size_t open = 0;
    std::atomic<bool> stopping{false};
    // Last: it goes first, and the sessions it still holds find the counts above intact.
    boost::asio::io_context context;
};
