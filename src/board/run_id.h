// A run's id: the same demo always gets the same one, whatever form it came in, so that a run
// sent twice is one entry.
#pragma once

#include <string>

#include "platform/key_script.h"

// 24 hex digits of the SHA-256 of the demo's canonical text.
std::string RunId(const Demo& demo);
