#include "cave_invariants.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "cave/rounding.h"
#include "platform/display.h"

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

// Every colour one rule can give a pixel: the game's TextureColour over all 256 blends.
using ColourSet = std::array<std::uint32_t, 256>;

ColourSet RuleColours(const CaveColumn& column, std::int32_t row) {
    ColourSet colours{};
    for (std::int32_t q = 0; q < 256; ++q) {
        colours[q] = static_cast<std::uint32_t>(TextureColour(column, row, q));
    }
    std::sort(colours.begin(), colours.end());
    return colours;
}

bool Contains(const ColourSet& colours, std::uint32_t colour) {
    return std::binary_search(colours.begin(), colours.end(), colour);
}

// The image stores 0x00RRGGBB; the texture builds red + green * 256 + blue * 65536.
std::uint32_t AsPackedRgb(std::uint32_t pixel) {
    return ((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16);
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
    const std::int32_t top = RoundToInt(column.Upper);
    const std::int32_t bottom = RoundToInt(column.Lower);
    const RgbColour now = Look.RockColour;
    Look.RockColour = paint;
    // The edge rows are open whatever else holds; a column that no row can reach is all rock.
    const ColourSet open = RuleColours(column, std::clamp(top, 0, kCaveHeight - 1));
    const ColourSet rock = RuleColours(CaveColumn{kCaveHeight, -1.0f}, 0);
    Look.RockColour = now;

    const ImageView cave = PeekImage(kCaveSprite);
    for (std::int32_t y = 0; y < kCaveHeight; ++y) {
        const bool openRow = y >= top && y <= bottom;
        const std::uint32_t colour = AsPackedRgb(cave.Pixels[y * cave.Width + x]);
        if (IsRockRow(column, y) == openRow || !Contains(openRow ? open : rock, colour)) {
            return "column " + std::to_string(x) + " row " + std::to_string(y) + " of " +
                   Describe(x, column) + " is not painted by the " + (openRow ? "open" : "rock") +
                   " rule";
        }
    }
    return {};
}
