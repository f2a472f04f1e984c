// One connection: requests read one at a time under their deadlines, each answered before the
// next is read, until the client leaves, idles, errs or has used its share.
#pragma once

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/span_body.hpp>
#include <boost/beast/http/string_body.hpp>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "server.h"

class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(HttpServer& server, boost::asio::ip::tcp::socket socket, std::string peer,
            Handler& handler);
    ~Session();
    // Over its address's cap (not serving), the connection is not read until Admitted (or its
    // idle time ends).
    void Start();
    // The server's lock is held: whether it is one of its address's served connections.
    void MarkServing() { serving = true; }
    bool Serving() const { return serving; }
    void Admitted();  // from any thread, after MarkServing
    void Refuse();    // closes at once: never served, never counted
    // Closes the connection unless a request is under way (that one finishes first); from any
    // thread.
    void Stop();

  private:
    using Clock = std::chrono::steady_clock;
    enum class Phase { Waiting, Idle, Reading, Working, Writing };
    void WaitForRequest();
    void ReadHead();
    void ReadBody();
    void Continue();
    void ReadRest();
    void Dispatch();
    void Fail(int status, const std::string& error);
    void Send(HttpResponse response, bool close);
    void Written(bool keep, const boost::beast::error_code& error);
    void Arm(std::chrono::seconds after);
    void Close();
    std::string ClientOf() const;

    HttpServer& server;
    boost::asio::ip::tcp::socket socket;
    boost::asio::steady_timer timer;
    std::string peer;
    Handler& handler;
    boost::beast::flat_buffer buffer;
    std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser;
    boost::beast::http::response<boost::beast::http::span_body<const char>> answer;
    HttpResponse held;  // what `answer` points into
    HttpRequest request;
    Phase phase = Phase::Idle;
    bool expired = false;
    unsigned arms = 0;  // a timer's wait counts only while it is the latest
    int served = 0;
    bool counted = true;  // open in the server's count
    // One of its address's served connections: set under the server's lock only, by whichever
    // thread hands it the slot.
    std::atomic<bool> serving{false};
    Clock::time_point started;
};
