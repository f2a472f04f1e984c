// One line a request: time (UTC), client address, method, path, status, bytes sent, duration.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

class AccessLog {
  public:
    // "-": standard output; else appended to the file (throws when it cannot be opened).
    explicit AccessLog(const std::string& where);
    ~AccessLog();
    AccessLog(const AccessLog&) = delete;
    AccessLog& operator=(const AccessLog&) = delete;

    void Write(const std::string& address, const std::string& method, const std::string& path,
               int status, std::size_t bytes, std::chrono::microseconds duration);

  private:
    std::mutex mutex;
    std::FILE* file;
    bool owned;
};
