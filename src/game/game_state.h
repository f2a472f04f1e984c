// The program-wide state of the game, all in one place. One instance each, living from start-up
// to the shutdown path:
//   Loop        the frame loop's counters and requests       (game/frame_loop.h)
//   PlayerList  the roster, one Player per ball               (game/player.h)
//   ColumnList  one CaveColumn per screen column              (cave/cave.h)
//   Look        the rock colour and the texture's brightness  (cave/cave.h)
//   Race        the ghosts flown beside the live balls         (game/ghost.h)
// The platform's libraries keep theirs behind ResetPlatformState (platform/system.h).
#pragma once

// Frees the lists and zeroes the rest, so that one process can play many games in a row.
void ResetGameState();
