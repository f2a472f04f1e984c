// Whom a request comes from: the TCP peer, or the address a proxy in front forwarded, believed
// only when the peer is that proxy.
#pragma once

#include <string>

// `forwardedFor`: the X-Forwarded-For value; `forwarded`: the Forwarded value. The proxy appends
// the client it saw last, so the last entry is the one it vouches for.
std::string ClientAddress(const std::string& peer, const std::string& trustedProxy,
                          const std::string& forwardedFor, const std::string& forwarded);

// What every per-address bound counts by: an IPv4 address, or the /64 an IPv6 address is in (one
// host's share of addresses; IPv4 mapped into IPv6 counts as IPv4). Text that is no address is
// its own key.
std::string AddressKey(const std::string& address);
