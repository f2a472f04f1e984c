#include "crc32.h"

#include <array>

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

std::uint32_t Feed(std::uint32_t c, std::uint8_t byte) {
    return kTable[(c ^ byte) & 0xFFu] ^ (c >> 8);
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc) {
    std::uint32_t c = ~crc;
    for (std::size_t i = 0; i < count; ++i) c = Feed(c, bytes[i]);
    return ~c;
}

std::uint32_t Crc32OfPixels(const std::uint32_t* pixels, std::size_t count) {
    std::uint32_t c = ~0u;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t pixel = pixels[i];
        c = Feed(c, static_cast<std::uint8_t>(pixel));
        c = Feed(c, static_cast<std::uint8_t>(pixel >> 8));
        c = Feed(c, static_cast<std::uint8_t>(pixel >> 16));
        c = Feed(c, static_cast<std::uint8_t>(pixel >> 24));
    }
    return ~c;
}
