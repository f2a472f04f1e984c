#include "deadline_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

bool Ready(int sock, short events, Clock::time_point until) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        pollfd waiting{sock, events, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

// One connection's socket: reads wait at most the read timeout and never past the deadline of
// the request being read; writes wait at most the write timeout.
class DeadlineStream : public httplib::Stream {
  public:
    DeadlineStream(int sock, std::chrono::milliseconds readTimeout,
                   std::chrono::milliseconds writeTimeout)
        : sock(sock), readTimeout(readTimeout), writeTimeout(writeTimeout) {}

    void StartRequest(std::chrono::milliseconds deadline) { until = Clock::now() + deadline; }

    bool is_readable() const override {
        return Ready(sock, POLLIN, std::min(until, Clock::now() + readTimeout));
    }
    bool is_writable() const override { return Ready(sock, POLLOUT, Clock::now() + writeTimeout); }
    ssize_t read(char* ptr, size_t size) override {
        if (!is_readable()) return -1;
        ssize_t got = 0;
        while ((got = recv(sock, ptr, size, 0)) < 0 && errno == EINTR) {
        }
        return got;
    }
    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        ssize_t sent = 0;
        while ((sent = send(sock, ptr, size, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
        }
        return sent;
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressOf(address, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressOf(address, ip, port);
    }
    socket_t socket() const override { return sock; }

  private:
    int sock;
    std::chrono::milliseconds readTimeout;
    std::chrono::milliseconds writeTimeout;
    Clock::time_point until = Clock::time_point::max();
};

std::chrono::milliseconds Duration(time_t sec, time_t usec) {
    return std::chrono::milliseconds(sec * 1000 + usec / 1000);
}

}  // namespace

bool DeadlineServer::WidenBacklog(int backlog) { return ::listen(svr_sock_, backlog) == 0; }

// httplib's own loop, with the deadline: requests on one connection until it closes, the client
// stays quiet for the keep-alive timeout, or the count of requests a connection may carry is used.
bool DeadlineServer::process_and_close_socket(socket_t sock) {
    // httplib writes a response's head and body apart: without this the body would wait for the
    // client's delayed acknowledgement, 40 ms on Linux.
    const int on = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    DeadlineStream stream(sock, Duration(read_timeout_sec_, read_timeout_usec_),
                          Duration(write_timeout_sec_, write_timeout_usec_));
    bool ok = false;
    for (std::size_t count = keep_alive_max_count_; count > 0; --count) {
        const auto idle = Clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
        if (svr_sock_ == INVALID_SOCKET || !Ready(sock, POLLIN, idle)) break;
        stream.StartRequest(requestDeadline);
        bool closed = false;
        ok = process_request(stream, count == 1, closed, nullptr);
        if (!ok || closed) break;
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return ok;
}
