#include "cave/texture.h"

#include "cave/rounding.h"
#include "platform/drawing.h"

ColumnShade ShadeOf(const CaveColumn& column, const CaveLook& look) {
    // Narrow passages are darker: the brightness grows with the open height.
    const std::int32_t height = RoundToInt(static_cast<double>(column.Lower) - column.Upper);
    return {RoundToInt(column.Upper), RoundToInt(column.Lower), look.CaveBrightness * height / 240,
            look.RockBrightness, look.RockColour};
}

bool IsRockRow(const ColumnShade& shade, std::int32_t y) {
    return y < shade.Upper || y > shade.Lower;
}

std::int32_t ShadeColour(const ColumnShade& shade, std::int32_t y, std::int32_t q) {
    if (IsRockRow(shade, y)) {
        const std::int32_t v = q * shade.RockLevel / 255;
        const RgbColour& rock = shade.Rock;
        return PackRGB(v * rock.Red / 255, v * rock.Green / 255, v * rock.Blue / 255);
    }
    const std::int32_t v = q * shade.OpenLevel / 255;
    return PackRGB(v, v, v);
}
