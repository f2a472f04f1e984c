#include "cave_invariants.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "cave/texture.h"
#include "platform/display.h"
#include "platform/drawing.h"

namespace {

// Reads walk the nodes, so the game's cursor stays where the game left it.
const List<CaveColumn>::Node* NodeAt(std::int32_t index) {
    const List<CaveColumn>::Node* node = ColumnList.First;
    for (std::int32_t i = 0; i < index && node != nullptr; ++i) node = node->Next;
    return node;
}

// The walk tests the gap on the exact sums of the rounded edges and the steps; storing each edge
// as a float then rounds it by up to half a float step, which can bring a gap just above 16 down
// to 16 itself (a few times in a hundred thousand frames). The bound holds up to that rounding.
double HalfFloatStep(float value) {
    return (static_cast<double>(std::nextafter(value, 1000.0f)) - value) / 2.0;
}

std::string Describe(std::int32_t index, const CaveColumn& column) {
    return "record " + std::to_string(index) + " (Upper " + std::to_string(column.Upper) +
           ", Lower " + std::to_string(column.Lower) + ")";
}

// Every colour the texture can give one row of a column: its shade over all 256 blends.
using ColourSet = std::array<std::int32_t, 256>;

ColourSet RowColours(const ColumnShade& shade, std::int32_t row) {
    ColourSet colours{};
    for (std::int32_t q = 0; q < 256; ++q) colours[q] = ShadeColour(shade, row, q);
    std::sort(colours.begin(), colours.end());
    return colours;
}

bool Contains(const ColourSet& colours, std::int32_t colour) {
    return std::binary_search(colours.begin(), colours.end(), colour);
}

}  // namespace

std::string CheckColumnRecords() {
    if (ListCount(ColumnList) != kCaveWidth) {
        return "ColumnList holds " + std::to_string(ListCount(ColumnList)) + " records";
    }
    std::int32_t index = 0;
    for (const auto* node = ColumnList.First; node != nullptr; node = node->Next, ++index) {
        const CaveColumn& column = node->Rec;
        if (index == 0 && column.Upper == 0.0f && column.Lower == 239.0f) continue;
        const double height = static_cast<double>(column.Lower) - column.Upper;
        const double slack = HalfFloatStep(column.Upper) + HalfFloatStep(column.Lower);
        if (!(column.Upper > 0.0f && column.Lower < 239.0f && height + slack > 16.0)) {
            return Describe(index, column) + " is out of bounds";
        }
    }
    return {};
}

std::string CheckRockColour(const RgbColour& rock) {
    const std::int32_t components[] = {rock.Red, rock.Green, rock.Blue};
    const bool inRange = std::all_of(std::begin(components), std::end(components),
                                     [](std::int32_t c) { return c >= 192 && c <= 255; });
    const bool oneFull =
        std::find(std::begin(components), std::end(components), 255) != std::end(components);
    if (inRange && oneFull) return {};
    return "RockColour (" + std::to_string(rock.Red) + ", " + std::to_string(rock.Green) + ", " +
           std::to_string(rock.Blue) + ")";
}

std::string CheckPaintedColumn(std::int32_t x, const RgbColour& paint) {
    const CaveColumn& column = NodeAt(x)->Rec;
    const ColumnShade shade = ShadeOf(column, {paint, Look.RockBrightness, Look.CaveBrightness});
    // All open rows share their colours, as all rock rows do: the top edge is open, row -1 rock.
    const ColourSet open = RowColours(shade, shade.Upper);
    const ColourSet rock = RowColours(shade, -1);
    const ImageView cave = PeekImage(kCaveSprite);
    for (std::int32_t y = 0; y < kCaveHeight; ++y) {
        const bool rockRow = IsRockRow(shade, y);
        if (!Contains(rockRow ? rock : open, ColourOfPixel(cave.Pixels[y * cave.Width + x]))) {
            return "column " + std::to_string(x) + " row " + std::to_string(y) + " of " +
                   Describe(x, column) + " is not painted by the " + (rockRow ? "rock" : "open") +
                   " rule";
        }
    }
    return {};
}
