// cave-board: serves the page and a board of runs that it replays with the game's own code
// before it ranks them.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <boost/asio/ip/address.hpp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "api/api.h"
#include "api/submission_json.h"
#include "http/server.h"
#include "http/static_site.h"
#include "moderation.h"
#include "options.h"

namespace {

// Descriptors kept back from connections: the database, the verifiers' pipes, the log.
constexpr rlim_t kReservedDescriptors = 64;

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

// Connections may use what the descriptor limit leaves after the server's own needs.
std::size_t ConnectionCap() {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 65536);
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur > 2 * kReservedDescriptors ? limit.rlim_cur - kReservedDescriptors
                                                     : kReservedDescriptors;
}

ServerLimits LimitsOf(const BoardOptions& options) {
    ServerLimits limits;
    limits.Request = std::chrono::seconds(options.RequestSeconds);
    limits.BodyBytes = kMaxBodyBytes;
    limits.Connections = ConnectionCap();
    limits.PerAddress = static_cast<std::size_t>(options.PerAddress);
    if (!options.TrustedProxy.empty()) {
        boost::system::error_code bad;
        limits.TrustedProxy = boost::asio::ip::make_address(options.TrustedProxy, bad).to_string();
        if (bad)
            throw std::runtime_error("--trusted-proxy: not an address: '" + options.TrustedProxy +
                                     "'");
    }
    return limits;
}

// Replays still running when the server stops are ended: their clients are gone.
void EndVerifiers() {
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream children(task.path() / "children");
        for (pid_t child = 0; children >> child;) kill(child, SIGKILL);
    }
}

std::string Url(const std::string& host, int port) {
    const bool v6 = host.find(':') != std::string::npos;
    return "http://" + std::string(v6 ? "[" : "") + host + (v6 ? "]" : "") + ":" +
           std::to_string(port);
}

int Serve(const BoardOptions& options) {
    const std::unique_ptr<Store> runs = OpenStore(options);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    Metrics metrics;
    ReplayGate gate(cores, options.ReplayQueue, metrics);
    Verifying verifying{*runs, gate, VerifierPath(), {}};
    verifying.Limits.MaxFrames = options.MaxFrames;
    RateLimit rateLimit(options.SubmissionsPerMinute);
    AnswerCache boards(*runs);
    std::unique_ptr<StaticSite> site;
    if (!options.Web.empty()) site = std::make_unique<StaticSite>(options.Web);
    std::unique_ptr<AccessLog> log;
    if (!options.Log.empty()) log = std::make_unique<AccessLog>(options.Log);
    HttpServer server(LimitsOf(options), metrics, log.get());
    // Every replay in flight or waiting holds a worker; the rest are for reads. After the
    // server: a task that ends late answers into a server still there.
    const auto workerThreads = static_cast<std::size_t>(2 * cores + cores + options.ReplayQueue);
    Api api(verifying, boards, rateLimit, workerThreads, metrics, site.get());
    int port = 0;
    int metricsPort = 0;
    try {
        port = server.Listen(
            options.Host, options.Port,
            [&api](HttpRequest& request, Respond done) { api.Handle(request, std::move(done)); });
    } catch (const std::exception& error) {
        return Fail("cannot listen on " + options.Host + ":" + std::to_string(options.Port) + ": " +
                    error.what());
    }
    try {
        metricsPort = server.Listen(options.MetricsHost, options.MetricsPort,
                                    [&metrics](HttpRequest& request, Respond done) {
                                        AnswerMetrics(metrics, request, std::move(done));
                                    });
    } catch (const std::exception& error) {
        return Fail("--metrics: cannot listen on " + options.MetricsHost + ":" +
                    std::to_string(options.MetricsPort) + ": " + error.what());
    }
    std::printf("cave-board: listening on %s\ncave-board: metrics on %s/metrics\n",
                Url(options.Host, port).c_str(), Url(options.MetricsHost, metricsPort).c_str());
    std::fflush(stdout);
    // One I/O thread a core: no connection holds a thread.
    server.Run(cores);
    EndVerifiers();
    return 0;
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
