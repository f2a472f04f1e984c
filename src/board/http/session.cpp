#include "session.h"

#include <boost/asio/bind_executor.hpp>
#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include "client_address.h"
#include "framing.h"

namespace asio = boost::asio;
namespace http = boost::beast::http;
using boost::beast::error_code;

namespace {

// What every answer carries: the page runs its own scripts and WebAssembly only, talks only to
// this server, and is never framed.
void Harden(http::response<http::span_body<const char>>& answer) {
    answer.set("Content-Security-Policy",
               "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
               "img-src 'self' data: blob:; connect-src 'self'; worker-src 'self'; "
               "manifest-src 'self'; base-uri 'none'; form-action 'self'; "
               "frame-ancestors 'none'");
    answer.set("X-Content-Type-Options", "nosniff");
    answer.set("Referrer-Policy", "no-referrer");
    answer.set("Permissions-Policy",
               "camera=(), microphone=(), geolocation=(), payment=(), usb=(), interest-cohort=()");
    // The page, served from here, learns that it may ask for boards.
    answer.set("Cave-Board", "1");
}

std::vector<std::string> ValuesOf(const http::fields& fields, http::field name) {
    std::vector<std::string> values;
    for (auto [at, end] = fields.equal_range(name); at != end; ++at)
        values.emplace_back(at->value());
    return values;
}

template <typename Name>
std::string Field(const http::fields& fields, Name name) {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : std::string(found->value());
}

HttpResponse ErrorAnswer(int status, const std::string& error) {
    HttpResponse response;
    response.Status = status;
    response.ContentType = "application/json";
    std::string quoted;
    for (const char c : error)
        quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    response.SetBody("{\"error\":\"" + quoted + "\"}");
    response.Headers.emplace_back("Cache-Control", "no-store");
    return response;
}

}  // namespace

Session::Session(HttpServer& server, asio::ip::tcp::socket socket, std::string peer,
                 Handler& handler)
    : server(server),
      socket(std::move(socket)),
      timer(this->socket.get_executor()),
      peer(std::move(peer)),
      handler(handler),
      buffer(server.limits.HeaderBytes + server.limits.BodyBytes + 4096) {}

Session::~Session() {
    if (counted) server.Release(peer, serving);
}

// On the session's strand, so that nothing of it runs before it is there. Whether it is served
// was decided under the server's lock, and may have changed since: a slot freed meanwhile.
void Session::Start() {
    asio::dispatch(socket.get_executor(), [self = shared_from_this()] {
        error_code ignored;
        self->socket.set_option(asio::ip::tcp::no_delay(true), ignored);
        if (self->serving) return self->WaitForRequest();
        self->phase = Phase::Waiting;
        self->Arm(self->server.limits.Idle);
    });
}

void Session::Admitted() {
    asio::post(socket.get_executor(), [self = shared_from_this()] {
        if (self->phase == Phase::Waiting) self->WaitForRequest();
    });
}

void Session::Refuse() {
    counted = false;
    Close();
}

void Session::Stop() {
    asio::post(socket.get_executor(), [self = shared_from_this()] {
        if (self->phase == Phase::Idle || self->phase == Phase::Waiting) self->Close();
    });
}

// Idle: no buffer is held while a connection waits, only the socket.
void Session::WaitForRequest() {
    phase = Phase::Idle;
    if (server.stopping) return Close();
    if (buffer.size() > 0) return ReadHead();
    Arm(server.limits.Idle);
    socket.async_wait(asio::ip::tcp::socket::wait_read,
                      [self = shared_from_this()](const error_code& error) {
                          if (error || self->expired) return self->Close();
                          self->ReadHead();
                      });
}

void Session::ReadHead() {
    phase = Phase::Reading;
    started = Clock::now();
    Arm(server.limits.Request);
    parser.emplace();
    parser->header_limit(static_cast<std::uint32_t>(server.limits.HeaderBytes));
    parser->body_limit(server.limits.BodyBytes);
    http::async_read_header(
        socket, buffer, *parser, [self = shared_from_this()](const error_code& error, std::size_t) {
            if (self->expired) return self->Fail(408, "the request was too slow");
            if (error == http::error::body_limit) return self->Fail(413, "the body is over 256 KB");
            if (error == http::error::header_limit)
                return self->Fail(431, "the header is over 8 KB");
            if (error == http::error::end_of_stream || error == asio::error::eof)
                return self->Close();
            if (error) return self->Fail(400, "not an HTTP request");
            self->ReadBody();
        });
}

void Session::ReadBody() {
    const auto& head = parser->get();
    const Framing framing =
        CheckFraming(std::string(head.method_string()), ValuesOf(head, http::field::content_length),
                     ValuesOf(head, http::field::transfer_encoding));
    if (framing.Status != 0) return Fail(framing.Status, framing.Error);
    if (parser->is_done()) return Dispatch();
    if (boost::beast::iequals(Field(head, http::field::expect), "100-continue")) return Continue();
    ReadRest();
}

// Written like any answer, under the request's deadline: a client that does not read it holds
// no thread, and is closed when its time is up.
void Session::Continue() {
    static const std::string proceed = "HTTP/1.1 100 Continue\r\n\r\n";
    phase = Phase::Writing;
    asio::async_write(socket, asio::buffer(proceed),
                      [self = shared_from_this()](const error_code& error, std::size_t) {
                          if (error || self->expired) return self->Close();
                          self->phase = Phase::Reading;
                          self->ReadRest();
                      });
}

void Session::ReadRest() {
    http::async_read(socket, buffer, *parser,
                     [self = shared_from_this()](const error_code& error, std::size_t) {
                         if (self->expired) return self->Fail(408, "the request was too slow");
                         if (error == http::error::body_limit)
                             return self->Fail(413, "the body is over 256 KB");
                         if (error) return self->Fail(400, "the body is cut or malformed");
                         self->Dispatch();
                     });
}

std::string Session::ClientOf() const {
    const auto& head = parser->get();
    return ClientAddress(peer, server.limits.TrustedProxy, Field(head, "X-Forwarded-For"),
                         Field(head, http::field::forwarded));
}

void Session::Dispatch() {
    phase = Phase::Working;
    timer.cancel();
    auto& head = parser->get();
    const std::string target(head.target());
    const std::size_t question = target.find('?');
    request = HttpRequest{};
    request.Method = std::string(head.method_string());
    request.Path = target.substr(0, question);
    request.Query = question == std::string::npos ? "" : target.substr(question + 1);
    request.ContentType = Field(head, http::field::content_type);
    request.IfNoneMatch = Field(head, http::field::if_none_match);
    request.AcceptEncoding = Field(head, http::field::accept_encoding);
    request.Range = Field(head, http::field::range);
    request.Address = ClientOf();
    request.Body = std::move(head.body());
    const bool close = !head.keep_alive();
    auto self = shared_from_this();
    handler(request, [self, close](HttpResponse response) {
        asio::post(self->socket.get_executor(),
                   [self, close, response = std::move(response)]() mutable {
                       self->Send(std::move(response), close);
                   });
    });
}

// A framing error, a deadline, a limit: the answer, then the connection closes, since what
// follows on it cannot be told apart from the rest of this request.
void Session::Fail(int status, const std::string& error) {
    if (request.Method.empty() && parser)
        request.Method = std::string(parser->get().method_string());
    if (request.Path.empty() && parser) request.Path = std::string(parser->get().target());
    if (request.Address.empty()) request.Address = peer;
    Send(ErrorAnswer(status, error), true);
}

void Session::Send(HttpResponse response, bool close) {
    phase = Phase::Writing;
    held = std::move(response);
    ++served;
    const bool keep = !close && served < server.limits.RequestsPerConnection && !server.stopping;
    answer = {};
    answer.version(11);
    answer.result(static_cast<unsigned>(held.Status));
    if (!held.ContentType.empty()) answer.set(http::field::content_type, held.ContentType);
    for (const auto& [name, value] : held.Headers) answer.insert(name, value);
    Harden(answer);
    const bool head = request.Method == "HEAD";
    const char* data = held.Body ? held.Body->data() + held.Offset : "";
    answer.body() = {data, head ? 0 : held.Length};
    answer.set(http::field::content_length, std::to_string(held.Length));
    answer.keep_alive(keep);
    Arm(server.limits.Write);
    http::async_write(socket, answer,
                      [self = shared_from_this(), keep](const error_code& error, std::size_t) {
                          self->Written(keep, error);
                      });
}

void Session::Written(bool keep, const error_code& error) {
    timer.cancel();
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
    const std::string route = held.Route.empty() ? "other" : held.Route;
    server.metrics.Answered(route, held.Status, took);
    if (server.log)
        server.log->Write(request.Address, request.Method, request.Path, held.Status,
                          error ? 0 : held.Length, took);
    request = HttpRequest{};
    held = HttpResponse{};
    answer = {};
    parser.reset();
    if (error || !keep || expired) return Close();
    // The connection is kept: its buffer is let go until the next request.
    if (buffer.size() == 0) buffer.shrink_to_fit();
    WaitForRequest();
}

// A timer that cancels what the socket waits for; the handler then sees `expired`.
void Session::Arm(std::chrono::seconds after) {
    expired = false;
    timer.expires_after(after);
    timer.async_wait([self = shared_from_this(), armed = ++arms](const error_code& error) {
        if (error || armed != self->arms) return;  // cancelled or re-armed
        self->expired = true;
        error_code ignored;
        if (self->phase == Phase::Writing || self->phase == Phase::Waiting)
            self->Close();
        else
            self->socket.cancel(ignored);
    });
}

void Session::Close() {
    ++arms;
    timer.cancel();
    error_code ignored;
    socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket.close(ignored);
}
