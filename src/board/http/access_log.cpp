#include "access_log.h"

#include <ctime>
#include <stdexcept>

AccessLog::AccessLog(const std::string& where)
    : file(where == "-" ? stdout : std::fopen(where.c_str(), "a")), owned(where != "-") {
    if (!file) throw std::runtime_error("--log: cannot open '" + where + "'");
}

AccessLog::~AccessLog() {
    if (owned) std::fclose(file);
}

void AccessLog::Write(const std::string& address, const std::string& method,
                      const std::string& path, int status, std::size_t bytes,
                      std::chrono::microseconds duration) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
    // The path is the client's text: control bytes and spaces would forge or split a line.
    std::string clean;
    for (const char c : path.substr(0, 512))
        clean += static_cast<unsigned char>(c) <= ' ' || c == 0x7f ? '?' : c;
    const std::lock_guard lock(mutex);
    std::fprintf(file, "%s.%03dZ %s %s %s %d %zu %.3fms\n", stamp, static_cast<int>(millis),
                 address.c_str(), method.c_str(), clean.c_str(), status, bytes,
                 static_cast<double>(duration.count()) / 1000.0);
    std::fflush(file);
}
