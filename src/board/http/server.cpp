#include "server.h"

#include <algorithm>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <cstdio>
#include <thread>

#include "client_address.h"
#include "session.h"

namespace asio = boost::asio;
using asio::ip::tcp;

struct HttpServer::Listener {
    Listener(asio::io_context& context, Handler handler)
        : acceptor(asio::make_strand(context)),
          retry(acceptor.get_executor()),
          handler(std::move(handler)) {}
    tcp::acceptor acceptor;
    asio::steady_timer retry;
    Handler handler;
};

HttpServer::HttpServer(ServerLimits limits, Metrics& metrics, AccessLog* log)
    : limits(std::move(limits)), metrics(metrics), log(log) {}

// The listeners' sockets and timers go while their context is still there.
HttpServer::~HttpServer() { listeners.clear(); }

int HttpServer::Listen(const std::string& host, int port, Handler handler) {
    auto listener = std::make_shared<Listener>(context, std::move(handler));
    const tcp::endpoint at(asio::ip::make_address(host), static_cast<unsigned short>(port));
    tcp::acceptor& acceptor = listener->acceptor;
    acceptor.open(at.protocol());
    acceptor.set_option(tcp::acceptor::reuse_address(true));
    acceptor.bind(at);
    acceptor.listen(1024);
    listeners.push_back(listener);
    Accept(listener);
    return acceptor.local_endpoint().port();
}

void HttpServer::Accept(const std::shared_ptr<Listener>& listener) {
    listener->acceptor.async_accept(
        asio::make_strand(context),
        [this, listener](boost::system::error_code error, tcp::socket socket) {
            if (error == asio::error::operation_aborted || !listener->acceptor.is_open()) return;
            if (error) {
                // Out of descriptors, say: wait a little rather than spin.
                listener->retry.expires_after(std::chrono::milliseconds(50));
                listener->retry.async_wait([this, listener](auto) { Accept(listener); });
                return;
            }
            boost::system::error_code ignored;
            const std::string peer = socket.remote_endpoint(ignored).address().to_string();
            if (ignored) return Accept(listener);
            auto session =
                std::make_shared<Session>(*this, std::move(socket), peer, listener->handler);
            if (Admit(peer, session)) {
                session->Start();
            } else {
                ++metrics.ConnectionsRefused;
                session->Refuse();
            }
            Accept(listener);
        });
}

bool HttpServer::Admit(const std::string& peer, const std::shared_ptr<Session>& session) {
    const std::string key = AddressKey(peer);
    const std::lock_guard lock(mutex);
    Address& mine = perAddress[key];
    const bool proxy = !limits.TrustedProxy.empty() && peer == limits.TrustedProxy;
    if (open >= limits.Connections || mine.Waiting.size() >= limits.PerAddress) {
        if (mine.Served == 0 && mine.Waiting.empty()) perAddress.erase(key);
        return false;
    }
    ++open;
    ++metrics.ConnectionsOpen;
    sessions.insert(session);
    if (!proxy && mine.Served >= limits.PerAddress) {
        mine.Waiting.push_back(session);
        ++metrics.ConnectionsWaiting;
        metrics.AddressEntries = static_cast<long>(perAddress.size());
        return true;
    }
    ++mine.Served;
    session->MarkServing();
    metrics.AddressEntries = static_cast<long>(perAddress.size());
    return true;
}

void HttpServer::Release(const std::string& peer, bool served) {
    std::shared_ptr<Session> next;
    const std::string key = AddressKey(peer);
    {
        const std::lock_guard lock(mutex);
        --open;
        --metrics.ConnectionsOpen;
        Address& mine = perAddress[key];
        auto& waiting = mine.Waiting;
        const auto before = static_cast<long>(waiting.size());
        waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                     [](const auto& weak) { return weak.expired(); }),
                      waiting.end());
        if (served) --mine.Served;
        while (served && !next && !waiting.empty()) {
            next = waiting.front().lock();
            waiting.pop_front();
        }
        if (next) {
            ++mine.Served;
            next->MarkServing();
        }
        metrics.ConnectionsWaiting -= before - static_cast<long>(waiting.size());
        if (mine.Served == 0 && waiting.empty()) perAddress.erase(key);
        metrics.AddressEntries = static_cast<long>(perAddress.size());
        for (auto at = sessions.begin(); at != sessions.end();)
            at = at->expired() ? sessions.erase(at) : std::next(at);
    }
    if (next) next->Admitted();
}

void HttpServer::Stop() {
    stopping = true;
    for (const auto& listener : listeners) {
        asio::post(listener->acceptor.get_executor(), [listener] {
            boost::system::error_code ignored;
            listener->acceptor.close(ignored);
            listener->retry.cancel();
        });
    }
    std::vector<std::shared_ptr<Session>> live;
    {
        const std::lock_guard lock(mutex);
        for (const auto& weak : sessions)
            if (auto session = weak.lock()) live.push_back(session);
    }
    for (const auto& session : live) session->Stop();
    Drain(std::chrono::steady_clock::now() + limits.Drain);
}

// Requests under way finish (up to the drain time); then the threads return.
void HttpServer::Drain(std::chrono::steady_clock::time_point until) {
    auto check = std::make_shared<asio::steady_timer>(context, std::chrono::milliseconds(50));
    check->async_wait([this, check, until](auto) {
        bool empty = false;
        {
            const std::lock_guard lock(mutex);
            empty = open == 0;
        }
        if (empty || std::chrono::steady_clock::now() >= until) return context.stop();
        Drain(until);
    });
}

// One I/O thread's loop: a fault in one connection's handler is reported, not the end of all.
void HttpServer::Serve() {
    for (;;) {
        try {
            context.run();
            return;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "cave-board: %s\n", error.what());
        }
    }
}

void HttpServer::Run(int threads) {
    asio::signal_set signals(context, SIGTERM, SIGINT);
    signals.async_wait([this](const boost::system::error_code& error, int) {
        if (!error) Stop();
    });
    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i) pool.emplace_back([this] { Serve(); });
    Serve();
    for (std::thread& thread : pool) thread.join();
}
