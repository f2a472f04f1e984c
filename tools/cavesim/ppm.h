// Binary PPM (P6) pictures from 0x00RRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>

// False when the file cannot be written.
bool WritePpm(const std::string& path, const std::uint32_t* pixels, std::int32_t width,
              std::int32_t height);
