#include "options.h"

#include "platform/key_script.h"

const char* const kBoardUsage =
    "usage: cave-board [--listen ADDR:PORT] [--data DIR | --database postgresql://...]\n"
    "                  [--web DIR] [--submissions-per-minute N] [--max-frames N]\n"
    "                  [--replay-queue N] [--request-timeout SECONDS]\n"
    "                  [--database-timeout SECONDS] [--log FILE|-] [--metrics ADDR:PORT]\n"
    "                  [--connections-per-address N] [--trusted-proxy ADDR]\n"
    "       cave-board [--data DIR | --database URL] --hide ID | --hide-name NAME |\n"
    "                  --list-name NAME\n"
    "\n"
    "Serves the page and the board's API; replays every run it ranks.\n"
    "\n"
    "  --listen ADDR:PORT   where to listen (default 127.0.0.1:8080; [::1]:PORT for IPv6;\n"
    "                       port 0 picks a free one)\n"
    "  --data DIR           the folder of the SQLite file board.sqlite (default board-data)\n"
    "  --database URL       a PostgreSQL database instead (postgresql://...)\n"
    "  --web DIR            the page's folder (the web build), served at /\n"
    "  --submissions-per-minute N\n"
    "                       from one address (default 10; 0: no limit)\n"
    "  --max-frames N       the longest run replayed, in frames (default 223200, 2 hours)\n"
    "  --replay-queue N     runs that may wait for a replay (default 64); more get 503\n"
    "  --request-timeout SECONDS\n"
    "                       a whole request must arrive within it (default 10)\n"
    "  --database-timeout SECONDS\n"
    "                       the longest wait for the database (default 5); then 503\n"
    "  --log FILE|-         an access log, one line a request (- : standard output)\n"
    "  --metrics ADDR:PORT  the Prometheus metrics listener, GET /metrics (default\n"
    "                       127.0.0.1:0, a free port, printed at start)\n"
    "  --connections-per-address N\n"
    "                       connections open at once from one address (default 32)\n"
    "  --trusted-proxy ADDR a reverse proxy's address: its X-Forwarded-For (or Forwarded)\n"
    "                       is taken as the client's address\n"
    "  --hide ID            take a run off the boards (it stays kept), then exit\n"
    "  --hide-name NAME     take every run of a name off the boards, then exit\n"
    "  --list-name NAME     list the runs of a name, hidden ones too, then exit\n"
    "  --help               this text\n";

namespace {

std::string ParseListen(const std::string& name, const std::string& value, std::string& host,
                        int& port) {
    const std::size_t colon = value.rfind(':');
    if (colon == std::string::npos || colon == 0) return name + ": not ADDR:PORT: '" + value + "'";
    std::string address = value.substr(0, colon);
    if (address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    const auto number = ParseDecimal(value.substr(colon + 1), 65535);
    if (address.empty() || !number) return name + ": not ADDR:PORT: '" + value + "'";
    host = address;
    port = static_cast<int>(*number);
    return {};
}

std::string ParseCount(const std::string& name, const std::string& value, std::uint64_t min,
                       std::uint64_t max, std::uint64_t& out) {
    const auto number = ParseDecimal(value, max);
    if (!number || *number < min) {
        return name + ": not a number in " + std::to_string(min) + ".." + std::to_string(max) +
               ": '" + value + "'";
    }
    out = *number;
    return {};
}

bool Known(const std::string& name) {
    for (const char* known :
         {"--listen", "--data", "--web", "--database", "--submissions-per-minute", "--max-frames",
          "--replay-queue", "--request-timeout", "--database-timeout", "--log", "--metrics",
          "--connections-per-address", "--trusted-proxy", "--hide", "--hide-name", "--list-name"}) {
        if (name == known) return true;
    }
    return false;
}

std::string Apply(const std::string& name, const std::string& value, BoardOptions& options) {
    std::uint64_t number = 0;
    std::string error;
    if (name == "--listen") return ParseListen(name, value, options.Host, options.Port);
    if (name == "--metrics")
        return ParseListen(name, value, options.MetricsHost, options.MetricsPort);
    if (name == "--log" || name == "--trusted-proxy") {
        (name == "--log" ? options.Log : options.TrustedProxy) = value;
        return value.empty() ? name + ": empty" : "";
    }
    if (name == "--hide" || name == "--hide-name" || name == "--list-name") {
        if (!options.Hide.empty() || !options.HideName.empty() || !options.ListName.empty())
            return name + ": one of --hide, --hide-name and --list-name at a time";
        (name == "--hide"        ? options.Hide
         : name == "--hide-name" ? options.HideName
                                 : options.ListName) = value;
        return value.empty() ? name + ": empty" : "";
    }
    if (name == "--data" || name == "--web" || name == "--database") {
        if (value.empty()) return name + ": empty";
        (name == "--data"  ? options.Data
         : name == "--web" ? options.Web
                           : options.Database) = value;
        if (name == "--database" && value.rfind("postgresql://", 0) != 0 &&
            value.rfind("postgres://", 0) != 0) {
            return "--database: not a postgresql:// URL: '" + value + "'";
        }
        return {};
    }
    if (name == "--submissions-per-minute") {
        error = ParseCount(name, value, 0, 1000000, number);
        options.SubmissionsPerMinute = static_cast<int>(number);
    } else if (name == "--max-frames") {
        error = ParseCount(name, value, 1, 223200, number);
        options.MaxFrames = static_cast<std::uint32_t>(number);
    } else if (name == "--connections-per-address") {
        error = ParseCount(name, value, 1, 100000, number);
        options.PerAddress = static_cast<int>(number);
    } else if (name == "--replay-queue") {
        error = ParseCount(name, value, 0, 100000, number);
        options.ReplayQueue = static_cast<int>(number);
    } else {
        error = ParseCount(name, value, 1, 3600, number);
        (name == "--request-timeout" ? options.RequestSeconds : options.DatabaseSeconds) =
            static_cast<int>(number);
    }
    return error;
}

}  // namespace

ParsedBoardOptions ParseBoardOptions(int argc, const char* const* argv) {
    ParsedBoardOptions parsed;
    for (int i = 1; i < argc && parsed.Error.empty(); ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            parsed.Values.Help = true;
        } else if (!Known(name)) {
            parsed.Error = name.rfind("--", 0) == 0 ? "unknown option '" + name + "'"
                                                    : "unexpected argument '" + name + "'";
        } else if (i + 1 >= argc) {
            parsed.Error = "option '" + name + "' needs a value";
        } else {
            parsed.Error = Apply(name, argv[++i], parsed.Values);
        }
    }
    return parsed;
}
