#include "api.h"

#include "platform/watch_link.h"
#include "request.h"
#include "shell/daily_cave.h"
#include "statuses.h"

namespace {

constexpr int kDefaultLimit = 10;
constexpr int kMostLimit = 100;

void Send(httplib::Response& response, const Reply& reply) {
    response.status = reply.Status;
    if (reply.RetryAfterSeconds > 0)
        response.set_header("Retry-After", std::to_string(reply.RetryAfterSeconds));
    // Boards change with every run: no cache may keep an answer.
    response.set_header("Cache-Control", "no-store");
    // Bytes that are not UTF-8 are replaced rather than thrown over.
    response.set_content(reply.Body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                         "application/json");
}

bool IsJson(const httplib::Request& request) {
    const std::string type = request.get_header_value("Content-Type");
    return type.rfind("application/json", 0) == 0 &&
           (type.size() == 16 || type[16] == ';' || type[16] == ' ');
}

void PostRun(Verifying& verifying, RateLimit& rateLimit, const httplib::Request& request,
             httplib::Response& response) {
    if (!rateLimit.Allow(request.remote_addr)) {
        Send(response, ErrorReply(429,
                                  "too many submissions from this address; try again in a "
                                  "minute"));
        return;
    }
    if (!IsJson(request)) {
        Send(response, ErrorReply(400, "the body must be Content-Type: application/json"));
        return;
    }
    Send(response, ReplyOf(Submit(verifying, request.body)));
}

// ?limit=N, 1..100, 10 when absent; 0 when malformed.
int LimitOf(const httplib::Request& request) {
    if (!request.has_param("limit")) return kDefaultLimit;
    const auto limit = ParseDecimal(request.get_param_value("limit"), kMostLimit);
    return limit && *limit >= 1 ? static_cast<int>(*limit) : 0;
}

void GetBoard(BoardAnswers& boards, const std::string& day, const httplib::Request& request,
              httplib::Response& response) {
    const int limit = LimitOf(request);
    if (limit == 0) return Send(response, ErrorReply(400, "limit: a number from 1 to 100"));
    response.set_header("Cache-Control", "no-store");
    response.set_content(*boards.Answer(day, limit), "application/json");
}

void GetDailyBoard(BoardAnswers& boards, const httplib::Request& request,
                   httplib::Response& response) {
    const std::string day = request.matches[1];
    if (!ParseCivilDate(day)) {
        return Send(response, ErrorReply(400, "not a date YYYY-MM-DD"));
    }
    GetBoard(boards, day, request, response);
}

std::optional<Run> FindRun(Store& runs, const httplib::Request& request,
                           httplib::Response& response) {
    const std::string id = request.matches[1];
    std::optional<Run> run = runs.Find(id);
    if (!run) Send(response, ErrorReply(404, "no run '" + id + "'"));
    return run;
}

void GetRun(Store& runs, const httplib::Request& request, httplib::Response& response) {
    const std::optional<Run> run = FindRun(runs, request, response);
    if (!run) return;
    const ParsedDemo demo = ParseDemo(run->Demo);
    Send(response, {200,
                    {{"id", run->Id},
                     {"name", run->Name},
                     {"points", run->Points},
                     {"date", run->Date},
                     {"seed", run->Seed},
                     {"frames", run->Frames},
                     {"board", BoardName(*run)},
                     {"rank", runs.RankOf(run->Id, run->Day)},
                     {"watch", WatchPayload(demo.Value)}}});
}

void GetDemo(Store& runs, const httplib::Request& request, httplib::Response& response) {
    const std::optional<Run> run = FindRun(runs, request, response);
    if (run) response.set_content(run->Demo, "text/plain; charset=utf-8");
}

}  // namespace

void AddApi(httplib::Server& server, Verifying& verifying, BoardAnswers& boards,
            RateLimit& rateLimit) {
    Store& runs = verifying.Runs;
    server.Post("/api/runs", [&](const httplib::Request& request, httplib::Response& response) {
        PostRun(verifying, rateLimit, request, response);
    });
    server.Get("/api/boards/all",
               [&boards](const httplib::Request& request, httplib::Response& response) {
                   GetBoard(boards, "", request, response);
               });
    server.Get("/api/boards/daily/([^/]+)",
               [&boards](const httplib::Request& request, httplib::Response& response) {
                   GetDailyBoard(boards, request, response);
               });
    server.Get("/api/runs/([0-9a-f]{1,64})",
               [&runs](const httplib::Request& request, httplib::Response& response) {
                   GetRun(runs, request, response);
               });
    server.Get("/api/runs/([0-9a-f]{1,64})/demo",
               [&runs](const httplib::Request& request, httplib::Response& response) {
                   GetDemo(runs, request, response);
               });
    // Errors without a body of their own (no such route, a body over the limit) get one.
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return;
        const std::string what = response.status == 413 ? "the body is over 256 KB"
                                 : response.status == 404
                                     ? "not found"
                                     : "HTTP " + std::to_string(response.status);
        Send(response, ErrorReply(response.status, what));
    });
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
            std::string what = "internal error";
            try {
                std::rethrow_exception(error);
            } catch (const StoreError& e) {
                return Send(response, ReplyOf(e));
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            std::fprintf(stderr, "cave-board: %s\n", what.c_str());
            Send(response, ErrorReply(500, "the board failed; try again later"));
        });
}
