// A run's id: the same play always gets the same one, whatever text it came in, so that a run
// sent twice is one entry.
#pragma once

#include <string>

#include "platform/key_script.h"

// 24 hex digits of the SHA-256 of the watch-link payload of the demo's effective form.
std::string RunId(const Demo& demo);
