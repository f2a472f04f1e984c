// cave_icon OUTDIR SIZE... [--square SIZE...]: draws the game's icon into OUTDIR: cave-SIZE.png
// with rounded, see-through corners for each size before --square (2 to 512), cave.ico with those
// up to 256 (the most an .ico entry holds) and window_icon.h from the 64-pixel one; and
// cave-square-SIZE.png, opaque to the edges, for each size after it, for home screens that cut
// the icon to their own shape.
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

struct IconSizes {
    std::vector<int> Rounded;
    std::vector<int> Square;
};

bool WriteRounded(const std::string& dir, const IconPicture& scene, const std::vector<int>& sizes) {
    const IconPicture rounded = RoundIconCorners(scene);
    std::vector<IconPicture> icoEntries;
    bool written = true;
    for (const int size : sizes) {
        const IconPicture icon = ScaleIcon(rounded, size);
        written &= WritePng(dir + "/cave-" + std::to_string(size) + ".png", icon);
        if (size == kWindowIconSize) written &= WriteIconHeader(dir + "/window_icon.h", icon);
        if (size <= kLargestIcoEntry) icoEntries.push_back(icon);
    }
    return written && WriteIco(dir + "/cave.ico", icoEntries);
}

bool WriteAll(const std::string& dir, const IconSizes& sizes) {
    const IconPicture scene = PaintIconScene();
    if (scene.Size == 0) return false;
    bool written = WriteRounded(dir, scene, sizes.Rounded);
    for (const int size : sizes.Square) {
        written &=
            WritePng(dir + "/cave-square-" + std::to_string(size) + ".png", ScaleIcon(scene, size));
    }
    return written;
}

// False unless there is at least one rounded size and every size is 2 to 512.
bool ReadSizes(int argc, char** argv, IconSizes& sizes) {
    std::vector<int>* list = &sizes.Rounded;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--square") {
            list = &sizes.Square;
            continue;
        }
        const int size = std::atoi(argv[i]);
        if (size < 2 || size > kLargestIcon) return false;
        list->push_back(size);
    }
    return !sizes.Rounded.empty();
}

}  // namespace

int main(int argc, char** argv) {
    IconSizes sizes;
    if (!ReadSizes(argc, argv, sizes)) {
        std::fputs("usage: cave_icon OUTDIR SIZE... [--square SIZE...] (sizes 2 to 512)\n", stderr);
        return 2;
    }
    if (!WriteAll(argv[1], sizes)) {
        std::fprintf(stderr, "cave_icon: could not write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
