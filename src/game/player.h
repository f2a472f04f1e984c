// The roster: one Player per ball, each with its own key, colour, image and score.
#pragma once

#include <cstdint>

#include "platform/cursor_list.h"

struct Player {
    float X;  // top-left corner of the ball's image
    float Y;
    float VelX;
    float VelY;  // positive is downwards
    float GravityScale;
    float Lift;
    float Radius;  // collision radius, whatever size the image was drawn at
    std::int32_t SpriteId;
    std::int32_t Colour;
    std::int32_t Score;  // shown divided by 1000
    std::int32_t Key;
    std::int32_t Crashed;
};

extern List<Player> PlayerList;

// Appends a player with the defaults after the current one; it becomes current.
void AddPlayerRecord();
// Adds the player and draws its ball image. False when the image cannot be made; the record
// stays in the roster, as the shutdown path frees it with the rest.
[[nodiscard]] bool CreatePlayer(std::int32_t radius, float gravityScale, std::int32_t colour,
                                std::int32_t key);
