#include "store/run_id.h"

#include <openssl/sha.h>

#include <array>

#include "platform/watch_link.h"
#include "replay/effective_demo.h"

std::string RunId(const Demo& demo) {
    const std::string text = WatchPayload(EffectiveDemo(demo));
    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data());
    constexpr std::size_t kIdBytes = 12;
    static const char* const kHex = "0123456789abcdef";
    std::string id;
    for (std::size_t i = 0; i < kIdBytes; ++i) {
        id += kHex[digest[i] >> 4];
        id += kHex[digest[i] & 15];
    }
    return id;
}
