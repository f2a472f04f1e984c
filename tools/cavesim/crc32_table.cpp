#include <array>

#include "crc32.h"

namespace {

using Table = std::array<std::uint32_t, 256>;

// Table k advances the CRC over a byte followed by k zero bytes, so a whole 32-bit pixel takes
// four look-ups instead of four rounds: the trace checksums a whole image every frame.
constexpr std::array<Table, 4> MakeTables() {
    std::array<Table, 4> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < 4; ++k) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            const std::uint32_t previous = tables[k - 1][n];
            tables[k][n] = (previous >> 8) ^ tables[0][previous & 0xFFu];
        }
    }
    return tables;
}

constexpr std::array<Table, 4> kTables = MakeTables();

}  // namespace

std::uint32_t Crc32OfPixels(const std::uint32_t* pixels, std::size_t count) {
    std::uint32_t c = ~0u;
    for (std::size_t i = 0; i < count; ++i) {
        // The pixel's bytes in little-endian order are its value's bytes from the low end.
        c ^= pixels[i];
        c = kTables[3][c & 0xFFu] ^ kTables[2][(c >> 8) & 0xFFu] ^ kTables[1][(c >> 16) & 0xFFu] ^
            kTables[0][c >> 24];
    }
    return ~c;
}
