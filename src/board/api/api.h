// The board's routes: the API on a worker thread (it may wait for the database or a replay),
// the page's files straight from memory, everything else 404.
#pragma once

#include "api/answer_cache.h"
#include "api/rate_limit.h"
#include "api/submit.h"
#include "http/exchange.h"
#include "http/metrics.h"
#include "http/server.h"
#include "http/static_site.h"
#include "http/worker_pool.h"

class Api {
  public:
    // `workerThreads` answer the API off the I/O threads, with a line of 1024 tasks.
    Api(Verifying& verifying, AnswerCache& boards, RateLimit& rateLimit, std::size_t workerThreads,
        Metrics& metrics, const StaticSite* site)
        : verifying(verifying),
          boards(boards),
          rateLimit(rateLimit),
          metrics(metrics),
          site(site),
          workers(workerThreads, 1024) {}

    // For the HTTP core.
    void Handle(HttpRequest& request, Respond done);
    // An API request's answer; may block.
    HttpResponse Answer(const HttpRequest& request);

  private:
    HttpResponse Route(const HttpRequest& request);
    HttpResponse PostRun(const HttpRequest& request);

    Verifying& verifying;
    AnswerCache& boards;
    RateLimit& rateLimit;
    Metrics& metrics;
    const StaticSite* site;
    // Last: its threads, which call into the rest, are joined before any of it goes.
    WorkerPool workers;
};

// The metrics listener's one route.
void AnswerMetrics(const Metrics& metrics, HttpRequest& request, Respond done);
