#!/usr/bin/env bash
# scripts/check-layering against a copy of src/ with one wrong include planted at a time: each
# must fail and name the file, and the untouched copy must pass.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$repo/src" "$work/src"

"$repo/scripts/check-layering" "$work" >/dev/null

plants=(
  'game/ball.cpp|#include "shell/program.h"'
  'cave/scroll_cave.cpp|#include "game/player.h"'
  'platform/random.cpp|#include "cave/cave.h"'
  'platform/host/headless_host.cpp|#include "platform/display.h"'
  'game/hud.cpp|#include "platform/host/host.h"'
  'shell/main.cpp|#include <SDL.h>'
  'platform/keyboard.cpp|#  include <windows.h>'
)
status=0
for plant in "${plants[@]}"; do
  file=${plant%%|*}
  cp "$work/src/$file" "$work/original"
  echo "${plant#*|}" >>"$work/src/$file"
  if output=$("$repo/scripts/check-layering" "$work" 2>&1); then
    echo "not caught: ${plant#*|} in src/$file" >&2
    status=1
  elif ! grep -q "src/$file:" <<<"$output"; then
    echo "caught but not named: src/$file in: $output" >&2
    status=1
  fi
  cp "$work/original" "$work/src/$file"
done
exit $status
