// cave-board: serves the page and a board of runs that it replays with the game's own code
// before it ranks them.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "api.h"
#include "deadline_server.h"
#include "moderation.h"
#include "options.h"
#include "request.h"

namespace {

constexpr time_t kReadTimeoutSeconds = 5;
// Each connection holds a thread while it is open (keep-alive included), and submissions wait
// for their replay in theirs: enough threads that waiting never stalls the reads.
constexpr std::size_t kThreads = 256;
constexpr int kBacklog = 1024;

int Fail(const std::string& message) {
    std::fprintf(stderr, "cave-board: %s\n(cave-board --help shows the usage)\n", message.c_str());
    return 2;
}

// cave-verify lies beside cave-board.
std::string VerifierPath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "cave-verify").string();
}

std::unique_ptr<Store> OpenStore(const BoardOptions& options) {
    const std::chrono::seconds timeout(options.DatabaseSeconds);
    return options.Database.empty() ? OpenSqliteStore(options.Data, timeout)
                                    : OpenPostgresStore(options.Database, timeout);
}

int Serve(const BoardOptions& options) {
    const std::unique_ptr<Store> runs = OpenStore(options);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    ReplayGate gate(cores, options.ReplayQueue);
    Verifying verifying{*runs, gate, VerifierPath(), {}};
    verifying.Limits.MaxFrames = options.MaxFrames;
    RateLimit rateLimit(options.SubmissionsPerMinute);

    // 256 KB takes well under a second on any link a player has.
    DeadlineServer server(std::chrono::seconds(options.RequestSeconds));
    server.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    server.set_read_timeout(kReadTimeoutSeconds);
    server.set_payload_max_length(kMaxBodyBytes);
    server.set_keep_alive_max_count(1000);
    // Cave-Board tells the page, served from here, that it may ask for boards: a page on a plain
    // static server must not probe for an API it would only log failures about.
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Cave-Board", "1"}});
    BoardAnswers boards(*runs);
    AddApi(server, verifying, boards, rateLimit);
    server.set_file_extension_and_mimetype_mapping("webmanifest", "application/manifest+json");
    if (!options.Web.empty() && !server.set_mount_point("/", options.Web)) {
        return Fail("--web: no folder '" + options.Web + "'");
    }
    const int port = options.Port == 0
                         ? server.bind_to_any_port(options.Host)
                         : (server.bind_to_port(options.Host, options.Port) ? options.Port : -1);
    if (port < 0)
        return Fail("cannot listen on " + options.Host + ":" + std::to_string(options.Port));
    if (!server.WidenBacklog(kBacklog)) return Fail("cannot listen on the bound socket");
    const bool v6 = options.Host.find(':') != std::string::npos;
    std::printf("cave-board: listening on http://%s%s%s:%d\n", v6 ? "[" : "", options.Host.c_str(),
                v6 ? "]" : "", port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // A verifier that dies before reading its demo must not take the server with it.
    signal(SIGPIPE, SIG_IGN);
    const ParsedBoardOptions parsed = ParseBoardOptions(argc, argv);
    if (!parsed.Error.empty()) return Fail(parsed.Error);
    if (parsed.Values.Help) {
        std::fputs(kBoardUsage, stdout);
        return 0;
    }
    try {
        if (IsModeration(parsed.Values)) return Moderate(parsed.Values, *OpenStore(parsed.Values));
        return Serve(parsed.Values);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cave-board: %s\n", error.what());
        return 1;
    }
}
