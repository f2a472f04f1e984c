// cave_icon OUTDIR: draws the game's icon into OUTDIR: cave-N.png for each size, cave.ico and
// window_icon.h.
#include <cstdio>
#include <string>
#include <vector>

#include "icon_files.h"
#include "icon_scene.h"

namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};
constexpr int kWindowIconSize = 64;

bool WriteAll(const std::string& dir) {
    const IconPicture scene = PaintIconScene();
    std::vector<IconPicture> icons;
    bool written = true;
    for (const int size : kSizes) {
        icons.push_back(size == scene.Size ? scene : ShrinkIcon(scene, size));
        written &= WritePng(dir + "/cave-" + std::to_string(size) + ".png", icons.back());
        if (size == kWindowIconSize)
            written &= WriteIconHeader(dir + "/window_icon.h", icons.back());
    }
    return written && WriteIco(dir + "/cave.ico", icons);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: cave_icon OUTDIR\n", stderr);
        return 2;
    }
    if (!WriteAll(argv[1])) {
        std::fprintf(stderr, "cave_icon: could not write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
