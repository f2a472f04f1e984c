// cave-board's command line.
#pragma once

#include <cstdint>
#include <string>

struct BoardOptions {
    std::string Host = "127.0.0.1";
    int Port = 8080;  // 0: any free port, printed when listening
    std::string Data = "board-data";
    std::string Database;           // a postgresql:// URL; empty: SQLite in Data
    std::string Web;                // the page's folder; empty: the API alone
    int SubmissionsPerMinute = 10;  // from one address; 0: no limit
    std::uint32_t MaxFrames = 223200;
    int ReplayQueue = 64;
    int RequestSeconds = 10;  // the whole of a request, headers and body, must arrive within
    int DatabaseSeconds = 5;
    std::string Log;                        // the access log: a file, "-" for standard output
    std::string MetricsHost = "127.0.0.1";  // the Prometheus listener
    int MetricsPort = 0;                    // 0: a free one, printed when listening
    int PerAddress = 32;                    // connections open at once from one address
    std::string TrustedProxy;  // its forwarded address is believed  // the longest wait on the
                               // database: connection, lock, statement
    // Moderation: each does its work on the store and exits, serving nothing.
    std::string Hide;      // a run's id
    std::string HideName;  // every run of a name
    std::string ListName;  // the runs of a name
    bool Help = false;
};

struct ParsedBoardOptions {
    BoardOptions Values;
    std::string Error;  // names the option; empty when the command line is good
};

ParsedBoardOptions ParseBoardOptions(int argc, const char* const* argv);
extern const char* const kBoardUsage;
