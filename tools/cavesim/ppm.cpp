#include "ppm.h"

#include <cstdio>
#include <memory>
#include <vector>

bool WritePpm(const std::string& path, const std::uint32_t* pixels, std::int32_t width,
              std::int32_t height) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                               std::fclose);
    if (file == nullptr) return false;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        const std::uint32_t pixel = pixels[i];
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 16));
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 8));
        bytes.push_back(static_cast<std::uint8_t>(pixel));
    }
    const bool header = std::fprintf(file.get(), "P6\n%d %d\n255\n", width, height) > 0;
    const bool body = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return header && body;
}
