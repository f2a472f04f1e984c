// The board's HTTP API on a server: routes, JSON answers, error bodies.
#pragma once

#include <httplib.h>

#include "board_answers.h"
#include "rate_limit.h"
#include "submit.h"

void AddApi(httplib::Server& server, Verifying& verifying, BoardAnswers& boards,
            RateLimit& rateLimit);
