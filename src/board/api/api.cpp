#include "api/api.h"

#include <cstdio>

#include "api/statuses.h"
#include "api/submission_json.h"
#include "http/client_address.h"
#include "http/gzip.h"
#include "platform/key_script.h"
#include "shell/daily_cave.h"

namespace {

constexpr int kDefaultLimit = 10;
constexpr int kMostLimit = 100;
// A page races at most this many ghosts, and asks for that many unless it says otherwise.
constexpr int kMostRaced = 99;

// Boards change with every run: no cache may keep an answer unless it is tagged.
HttpResponse JsonHead(const std::string& route, const char* cacheControl = "no-store") {
    HttpResponse response;
    response.Route = route;
    response.ContentType = "application/json";
    response.Headers.emplace_back("Cache-Control", cacheControl);
    return response;
}

HttpResponse Json(const Reply& reply, const std::string& route) {
    HttpResponse response = JsonHead(route);
    response.Status = reply.Status;
    if (reply.RetryAfterSeconds > 0)
        response.Headers.emplace_back("Retry-After", std::to_string(reply.RetryAfterSeconds));
    // Bytes that are not UTF-8 are replaced rather than thrown over.
    response.SetBody(reply.Body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    return response;
}

HttpResponse Error(int status, const std::string& what, const std::string& route) {
    return Json(ErrorReply(status, what), route);
}

bool IsJson(const std::string& type) {
    return type.rfind("application/json", 0) == 0 &&
           (type.size() == 16 || type[16] == ';' || type[16] == ' ');
}

bool IsHex(const std::string& text) {
    return !text.empty() && text.size() <= 64 &&
           text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// ?limit=N, 1..most, `absent` when absent; 0 when malformed.
int LimitOf(const HttpRequest& request, int absent, int most) {
    std::string value;
    if (!QueryValue(request.Query, "limit", value)) return absent;
    const auto limit = ParseDecimal(value, static_cast<std::uint64_t>(most));
    return limit && *limit >= 1 ? static_cast<int>(*limit) : 0;
}

HttpResponse GetBoard(AnswerCache& boards, const std::string& day, const HttpRequest& request) {
    const std::string route = day.empty() ? "board_all" : "board_daily";
    if (!day.empty() && !ParseCivilDate(day)) return Error(400, "not a date YYYY-MM-DD", route);
    const int limit = LimitOf(request, kDefaultLimit, kMostLimit);
    if (limit == 0) return Error(400, "limit: a number from 1 to 100", route);
    HttpResponse response = JsonHead(route);
    response.SetBody(boards.Answer(day, limit));
    return response;
}

// Large and read by every page that races: the client keeps it and asks whether it changed.
HttpResponse GetRace(AnswerCache& boards, const std::string& day, const HttpRequest& request) {
    const std::string route = "race";
    if (!ParseCivilDate(day)) return Error(400, "not a date YYYY-MM-DD", route);
    const int limit = LimitOf(request, kMostRaced, kMostRaced);
    if (limit == 0) return Error(400, "limit: a number from 1 to 99", route);
    const KeptAnswer race = boards.Race(day, limit);
    HttpResponse response = JsonHead(route, "no-cache");
    response.Headers.emplace_back("Vary", "Accept-Encoding");
    const bool gzip = AcceptsCoding(request.AcceptEncoding, "gzip");
    if (gzip) response.Headers.emplace_back("Content-Encoding", "gzip");
    // Each coding is a body of its own, with a tag of its own.
    const std::string tag =
        "\"race-" + race.Version + "-" + std::to_string(limit) + (gzip ? "-gz" : "") + "\"";
    if (!NotModified(request, tag, response)) response.SetBody(gzip ? race.Gzipped : race.Text);
    return response;
}

HttpResponse GetRun(Store& runs, const std::string& id, bool demoOnly) {
    const std::string route = demoOnly ? "demo" : "run";
    const std::optional<Run> run = runs.Find(id);
    if (!run) return Error(404, "no run '" + id + "'", route);
    if (demoOnly) {
        HttpResponse response;
        response.Route = route;
        response.ContentType = "text/plain; charset=utf-8";
        response.Headers.emplace_back("Cache-Control", "no-store");
        response.SetBody(run->Demo);
        return response;
    }
    return Json({200,
                 {{"id", run->Id},
                  {"name", run->Name},
                  {"points", run->Points},
                  {"date", run->Date},
                  {"seed", run->Seed},
                  {"frames", run->Frames},
                  {"board", BoardName(*run)},
                  {"rank", runs.RankOf(run->Id, run->Day)},
                  {"watch", WatchOf(*run)}}},
                route);
}

HttpResponse Health(Store& runs) {
    const bool up = runs.Healthy();
    const Reply reply{200, {{"database", up ? "reachable" : "unreachable"}}, 0};
    return Json(up ? reply : UnavailableReply(reply), "healthz");
}

bool Reading(const HttpRequest& request) {
    return request.Method == "GET" || request.Method == "HEAD";
}

}  // namespace

HttpResponse Api::PostRun(const HttpRequest& request) {
    if (!rateLimit.Allow(AddressKey(request.Address)))
        return Error(429, "too many submissions from this address; try again in a minute",
                     "submit");
    if (!IsJson(request.ContentType))
        return Error(400, "the body must be Content-Type: application/json", "submit");
    const GaugeRaised inFlight(metrics.SubmissionsInFlight);
    const SubmitResult result = Submit(verifying, request.Body);
    if (std::holds_alternative<Busy>(result)) ++metrics.ReplaysRefused;
    return Json(ReplyOf(result), "submit");
}

HttpResponse Api::Route(const HttpRequest& request) {
    const std::string& path = request.Path;
    if (path == "/api/runs") {
        if (request.Method != "POST") return Error(405, "POST a run here", "submit");
        return PostRun(request);
    }
    if (!Reading(request)) return Error(405, "only GET here", "other");
    if (path == "/healthz") return Health(verifying.Runs);
    if (path == "/api/boards/all") return GetBoard(boards, "", request);
    const std::string daily = "/api/boards/daily/";
    if (path.rfind(daily, 0) == 0) {
        const std::string day = path.substr(daily.size());
        const std::size_t slash = day.find('/');
        if (slash == std::string::npos) return GetBoard(boards, day, request);
        if (day.compare(slash, std::string::npos, "/race") == 0)
            return GetRace(boards, day.substr(0, slash), request);
    }
    const std::string runs = "/api/runs/";
    if (path.rfind(runs, 0) == 0) {
        std::string id = path.substr(runs.size());
        const bool demo = id.size() > 5 && id.compare(id.size() - 5, 5, "/demo") == 0;
        if (demo) id.resize(id.size() - 5);
        if (IsHex(id)) return GetRun(verifying.Runs, id, demo);
    }
    return Error(404, "not found", "other");
}

HttpResponse Api::Answer(const HttpRequest& request) {
    try {
        return Route(request);
    } catch (const StoreError& error) {
        return Json(ReplyOf(error), "other");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cave-board: %s\n", error.what());
    }
    return Error(500, "the board failed; try again later", "other");
}

void Api::Handle(HttpRequest& request, ::Respond done) {
    if (request.Path.rfind("/api/", 0) != 0 && request.Path != "/healthz") {
        HttpResponse response;
        response.Route = "static";
        if (!Reading(request))
            response = Error(405, "only GET here", "static");
        else if (!site || !site->Answer(request, response))
            response = Error(404, "not found", "static");
        return done(std::move(response));
    }
    // The request is moved into the task: the session keeps only what it logs.
    auto task = std::make_shared<HttpRequest>(request);
    task->Body = std::move(request.Body);
    if (!workers.Post([this, task, done] { done(Answer(*task)); })) {
        ++metrics.WorkRefused;
        done(Json(UnavailableReply(ErrorReply(503, "the board is busy; try again in a moment")),
                  "other"));
    }
}

void AnswerMetrics(const Metrics& metrics, HttpRequest& request, ::Respond done) {
    HttpResponse response;
    response.Route = "metrics";
    if (request.Path != "/metrics") {
        response.Status = 404;
        response.SetBody("not found\n");
    } else {
        response.SetBody(metrics.Text());
    }
    response.ContentType = "text/plain; version=0.0.4";
    done(std::move(response));
}
