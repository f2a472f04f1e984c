// Watch links: a whole game in a link, "#watch=<payload>". The payload is the demo in a compact,
// URL-safe form: '1' (the form's version), then base64url (RFC 4648, no padding) of
//   varint(seed), then for each key change in order:
//   varint(gap << 3 | key << 1 | down) [code byte when key is 3]
// where gap is the change's poll minus the last change's (the first counts from 0), key is 0 for
// Up (200), 1 for P (25), 2 for Escape (1) and 3 for any other key, whose code follows, and
// varint is LEB128 (7 bits a byte, low bits first). The same code reads and writes it on every
// build.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/key_script.h"

// A link (or payload) longer than this is refused before it is read.
inline constexpr std::size_t kMaxWatchLinkBytes = 64 * 1024;

std::string WatchPayload(const Demo& demo);

// The demo of a payload, or of a whole link holding "#watch=<payload>". The error names what is
// wrong: a link too long, a foreign character, a payload cut short, a poll out of range.
ParsedDemo ParseWatchPayload(std::string_view text);

// True for text that is meant as a watch link or payload rather than a file name or demo text:
// one word of printable ASCII that holds "#watch=", or the version and base64url characters.
bool LooksLikeWatchLink(std::string_view text);

// Demo text, a watch link or a payload alike: what a demo file or a pasted link may hold.
ParsedDemo ParseAnyDemo(const std::string& text);
