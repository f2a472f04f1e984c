#include "ppm.h"

#include <cstdio>
#include <vector>

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
    // Written beside its place and moved there whole: a failed write never leaves a cut-off
    // picture, nor replaces a good one.
    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) return false;
    const bool header = std::fprintf(file, "P6\n%d %d\n255\n", width, height) > 0;
    const bool body = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A full disk may only show when the buffered rest is written out.
    const bool closed = std::fclose(file) == 0;
    if (header && body && closed && std::rename(part.c_str(), path.c_str()) == 0) return true;
    std::remove(part.c_str());
    return false;
}
