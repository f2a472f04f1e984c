#include "icon_files.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>

namespace {

using Bytes = std::vector<unsigned char>;

void PutBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 255u);
}

void PutLittleEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back((value >> (8 * i)) & 255u);
}

void PutChunk(Bytes& out, const char type[5], const Bytes& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, static_cast<std::uint32_t>(
                          crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// Rows of RGBA, each led by filter type 0, deflated.
Bytes CompressedRows(const IconPicture& icon) {
    Bytes raw;
    for (std::int32_t y = 0; y < icon.Size; ++y) {
        raw.push_back(0);
        for (std::int32_t x = 0; x < icon.Size; ++x) {
            const std::uint32_t p = icon.Pixels[y * icon.Size + x];
            for (const int shift : {16, 8, 0, 24}) raw.push_back((p >> shift) & 255u);
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) {
        return {};
    }
    packed.resize(size);
    return packed;
}

Bytes PngBytes(const IconPicture& icon) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBigEndian(header, static_cast<std::uint32_t>(icon.Size));
    PutBigEndian(header, static_cast<std::uint32_t>(icon.Size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", CompressedRows(icon));
    PutChunk(png, "IEND", {});
    return png;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace

bool WritePng(const std::string& path, const IconPicture& icon) {
    return WriteFile(path, PngBytes(icon));
}

bool WriteIco(const std::string& path, const std::vector<IconPicture>& icons) {
    Bytes directory;
    PutLittleEndian(directory, 0, 2);
    PutLittleEndian(directory, 1, 2);  // an icon, not a cursor
    PutLittleEndian(directory, static_cast<std::uint32_t>(icons.size()), 2);
    Bytes images;
    const std::size_t firstImage = 6 + 16 * icons.size();
    for (const IconPicture& icon : icons) {
        const Bytes png = PngBytes(icon);
        const std::uint32_t side = icon.Size >= 256 ? 0 : static_cast<std::uint32_t>(icon.Size);
        directory.insert(directory.end(), {static_cast<unsigned char>(side),
                                           static_cast<unsigned char>(side), 0, 0});
        PutLittleEndian(directory, 1, 2);   // planes
        PutLittleEndian(directory, 32, 2);  // bits per pixel
        PutLittleEndian(directory, static_cast<std::uint32_t>(png.size()), 4);
        PutLittleEndian(directory, static_cast<std::uint32_t>(firstImage + images.size()), 4);
        images.insert(images.end(), png.begin(), png.end());
    }
    directory.insert(directory.end(), images.begin(), images.end());
    return WriteFile(path, directory);
}

bool WriteIconHeader(const std::string& path, const IconPicture& icon) {
    std::ofstream out(path);
    out << "// Written by cave_icon: the window's icon, 0xAARRGGBB.\n#pragma once\n\n"
        << "#include <cstdint>\n\ninline constexpr int kWindowIconSize = " << icon.Size << ";\n"
        << "inline constexpr std::uint32_t kWindowIcon[] = {";
    for (std::size_t i = 0; i < icon.Pixels.size(); ++i) {
        out << (i % 8 == 0 ? "\n   " : "") << " 0x" << std::hex << icon.Pixels[i] << "u,";
    }
    out << "\n};\n";
    return static_cast<bool>(out.flush());
}
