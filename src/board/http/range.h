// A Range header on a whole answer: one range is served (206), an unsatisfiable one is 416, and
// several at once are answered whole (200): a list of ranges is never built.
#pragma once

#include <string>

#include "exchange.h"

void ApplyRange(const std::string& range, HttpResponse& response);
