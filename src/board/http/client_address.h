// Whom a request comes from: the TCP peer, or the address a proxy in front forwarded, believed
// only when the peer is that proxy.
#pragma once

#include <string>

// `forwardedFor`: the X-Forwarded-For value; `forwarded`: the Forwarded value. The proxy appends
// the client it saw last, so the last entry is the one it vouches for.
std::string ClientAddress(const std::string& peer, const std::string& trustedProxy,
                          const std::string& forwardedFor, const std::string& forwarded);
