#include "ppm.h"

#include <cstdio>
#include <vector>

#include "output_file.h"

bool WritePpm(const std::string& path, const std::uint32_t* pixels, std::int32_t width,
              std::int32_t height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(pixels[i] >> 16));
        bytes.push_back(static_cast<std::uint8_t>(pixels[i] >> 8));
        bytes.push_back(static_cast<std::uint8_t>(pixels[i]));
    }
    OutputFile output;
    if (!OpenOutput(output, path)) return false;
    std::fprintf(output.File, "P6\n%d %d\n255\n", width, height);
    std::fwrite(bytes.data(), 1, bytes.size(), output.File);
    // A failed write leaves the error flag, which closing checks.
    return CloseOutput(output, true);
}
