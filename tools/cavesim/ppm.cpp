#include "ppm.h"

#include <cstdio>
#include <vector>

#include "output_file.h"
#include "platform/drawing.h"

bool WritePpm(const std::string& path, const std::uint32_t* pixels, std::int32_t width,
              std::int32_t height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t colour = ColourOfPixel(pixels[i]);
        bytes.push_back(static_cast<std::uint8_t>(RedOf(colour)));
        bytes.push_back(static_cast<std::uint8_t>(GreenOf(colour)));
        bytes.push_back(static_cast<std::uint8_t>(BlueOf(colour)));
    }
    OutputFile output;
    if (!OpenOutput(output, path)) return false;
    std::fprintf(output.File, "P6\n%d %d\n255\n", width, height);
    std::fwrite(bytes.data(), 1, bytes.size(), output.File);
    // A failed write leaves the error flag, which closing checks.
    return CloseOutput(output, true);
}
