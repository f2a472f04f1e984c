#include "client_address.h"

#include <algorithm>
#include <boost/asio/ip/address.hpp>

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string LastOf(const std::string& list) {
    const std::size_t comma = list.rfind(',');
    return Trim(comma == std::string::npos ? list : list.substr(comma + 1));
}

// for="[2001:db8::1]:4711" or for=192.0.2.1:80 or for=192.0.2.1: the address alone.
std::string ForOf(const std::string& element) {
    std::size_t at = 0;
    std::string value;
    while (at < element.size()) {
        std::size_t end = element.find(';', at);
        if (end == std::string::npos) end = element.size();
        const std::string pair = Trim(element.substr(at, end - at));
        if (pair.size() > 4 && (pair.compare(0, 4, "for=") == 0 || pair.compare(0, 4, "For=") == 0))
            value = pair.substr(4);
        at = end + 1;
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    if (!value.empty() && value.front() == '[') return value.substr(1, value.find(']') - 1);
    const std::size_t colon = value.find(':');
    return colon != std::string::npos && value.find(':', colon + 1) == std::string::npos
               ? value.substr(0, colon)
               : value;
}

bool Plausible(const std::string& address) {
    if (address.empty() || address.size() > 45) return false;
    for (const char c : address) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex && c != '.' && c != ':') return false;
    }
    return true;
}

}  // namespace

std::string ClientAddress(const std::string& peer, const std::string& trustedProxy,
                          const std::string& forwardedFor, const std::string& forwarded) {
    if (trustedProxy.empty() || peer != trustedProxy) return peer;
    const std::string claimed =
        !forwardedFor.empty() ? LastOf(forwardedFor) : ForOf(LastOf(forwarded));
    return Plausible(claimed) ? claimed : peer;
}

std::string AddressKey(const std::string& address) {
    namespace ip = boost::asio::ip;
    boost::system::error_code bad;
    const ip::address parsed = ip::make_address(address, bad);
    if (bad) return address;
    if (parsed.is_v4()) return parsed.to_string();
    const ip::address_v6 v6 = parsed.to_v6();
    if (v6.is_v4_mapped()) return ip::make_address_v4(ip::v4_mapped, v6).to_string();
    ip::address_v6::bytes_type bytes = v6.to_bytes();
    std::fill(bytes.begin() + 8, bytes.end(), 0);
    return ip::address_v6(bytes).to_string() + "/64";
}
