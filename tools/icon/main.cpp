// cave_icon OUTDIR SIZE...: draws the game's icon into OUTDIR: cave-SIZE.png for each size
// (2 to 512), cave.ico with those up to 256 (the most an .ico entry holds), and window_icon.h
// from the 64-pixel one.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "icon_files.h"
#include "icon_scene.h"

namespace {

constexpr int kWindowIconSize = 64;
constexpr int kLargestIcoEntry = 256;
constexpr int kLargestIcon = 512;

bool WriteAll(const std::string& dir, const std::vector<int>& sizes) {
    const IconPicture scene = PaintIconScene();
    if (scene.Size == 0) return false;
    std::vector<IconPicture> icoEntries;
    bool written = true;
    for (const int size : sizes) {
        const IconPicture icon = ScaleIcon(scene, size);
        written &= WritePng(dir + "/cave-" + std::to_string(size) + ".png", icon);
        if (size == kWindowIconSize) written &= WriteIconHeader(dir + "/window_icon.h", icon);
        if (size <= kLargestIcoEntry) icoEntries.push_back(icon);
    }
    return written && WriteIco(dir + "/cave.ico", icoEntries);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    bool good = argc > 2;
    for (const int size : sizes) good &= size >= 2 && size <= kLargestIcon;
    if (!good) {
        std::fputs("usage: cave_icon OUTDIR SIZE... (sizes 2 to 512)\n", stderr);
        return 2;
    }
    if (!WriteAll(argv[1], sizes)) {
        std::fprintf(stderr, "cave_icon: could not write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
