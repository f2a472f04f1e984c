// cave_icon OUTDIR SIZE...: draws the game's icon into OUTDIR: cave-SIZE.png for each size
// (2 to 256), cave.ico with all of them, and window_icon.h from the 64-pixel one.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "icon_files.h"
#include "icon_scene.h"

namespace {

constexpr int kWindowIconSize = 64;

bool WriteAll(const std::string& dir, const std::vector<int>& sizes) {
    const IconPicture scene = PaintIconScene();
    if (scene.Size == 0) return false;
    std::vector<IconPicture> icons;
    bool written = true;
    for (const int size : sizes) {
        icons.push_back(size == scene.Size ? scene : ShrinkIcon(scene, size));
        written &= WritePng(dir + "/cave-" + std::to_string(size) + ".png", icons.back());
        if (size == kWindowIconSize) {
            written &= WriteIconHeader(dir + "/window_icon.h", icons.back());
        }
    }
    return written && WriteIco(dir + "/cave.ico", icons);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    bool good = argc > 2;
    for (const int size : sizes) good &= size >= 2 && size <= 256;
    if (!good) {
        std::fputs("usage: cave_icon OUTDIR SIZE... (sizes 2 to 256)\n", stderr);
        return 2;
    }
    if (!WriteAll(argv[1], sizes)) {
        std::fprintf(stderr, "cave_icon: could not write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
