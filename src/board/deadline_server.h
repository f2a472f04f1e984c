// The HTTP server with a deadline for each whole request: httplib's read timeout is per read, so a
// client trickling a byte a second would hold a thread for ever. Here each connection's reads
// stop at the request's deadline, counted from its first byte, and the connection is closed.
#pragma once

#include <httplib.h>

#include <chrono>

class DeadlineServer : public httplib::Server {
  public:
    explicit DeadlineServer(std::chrono::milliseconds requestDeadline)
        : requestDeadline(requestDeadline) {}
    // httplib listens with a backlog of 5: a burst of clients would overflow it and some be
    // reset. Listening again on the bound socket widens it.
    bool WidenBacklog(int backlog);

  private:
    bool process_and_close_socket(socket_t sock) override;

    std::chrono::milliseconds requestDeadline;
};
