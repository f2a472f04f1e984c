#include "game/hud.h"

#include <charconv>
#include <cstring>

#include "cave/cave.h"
#include "cave/rounding.h"
#include "game/frame_loop.h"
#include "platform/display.h"
#include "platform/drawing.h"
#include "platform/font.h"
#include "platform/system.h"

namespace {

ReadOut NumberReadOut(const char* prefix, std::int32_t value) {
    ReadOut out{};
    const std::size_t length = std::strlen(prefix);
    std::memcpy(out.Text, prefix, length);
    std::to_chars(out.Text + length, out.Text + sizeof(out.Text) - 1, value);
    return out;
}

// Several players: each score in its ball's colour, one line each, the last player's on the
// line a single player's score takes and the others stacked above it in roster order.
void DrawScores() {
    std::int32_t y = kScoreTextY - (ListCount(PlayerList) - 1) * kGlyphHeight;
    for (const List<Player>::Node* node = PlayerList.First; node != nullptr; node = node->Next) {
        const Player& player = node->Rec;
        SetDrawColour(RedOf(player.Colour), GreenOf(player.Colour), BlueOf(player.Colour));
        SetTextCursor(kScoreTextX, y);
        DrawTextAtCursor(NumberReadOut("", player.Score / 1000).Text);
        y += kGlyphHeight;
    }
}

}  // namespace

ReadOut FpsReadOut(std::int32_t frames, std::uint32_t elapsed) {
    // In the frame that restarts the window no time may have passed yet: show 0 then.
    const std::int32_t rate = elapsed == 0 ? 0 : RoundToInt(frames * 1000.0 / elapsed);
    return NumberReadOut("FPS: ", rate);
}

void DrawHud(const Player& scored) {
    BeginDrawing(BackBufferTarget());
    SetDrawMode(kOutlineOnly);
    FillRect(0, 0, kCaveWidth, kCaveHeight, PackRGB(255, 0, 0));
    SetDrawColour(255, 255, 255);
    SetDrawMode(kTransparentText);
    const std::uint32_t elapsed = TickCount() - Loop.FpsWindowStart;
    SetTextCursor(kFpsTextX, kFpsTextY);
    DrawTextAtCursor(FpsReadOut(Loop.FpsFrameCount, elapsed).Text);
    if (ListCount(PlayerList) > 1) {
        DrawScores();
    } else {
        SetTextCursor(kScoreTextX, kScoreTextY);
        DrawTextAtCursor(NumberReadOut("", scored.Score / 1000).Text);
    }
    EndDrawing();
}
