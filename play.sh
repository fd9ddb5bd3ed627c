#!/usr/bin/env bash
# Sets everything up, builds the engine, the tools and the game, and starts it.
# Without a display (DISPLAY unset) the game runs under a virtual display.
# PLAY_SECONDS=N stops it after N seconds (as Ctrl-C would).
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 \
  || { cat build.configure.log; exit 1; }
cmake --build build -j "${JOBS:-2}"

game=(build/bin/dunhaven)
if [ -n "${PLAY_SECONDS:-}" ]; then
  game=(timeout -s INT --foreground "$PLAY_SECONDS" "${game[@]}")
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "play.sh: no display found; running the game on a virtual one"
  game=(xvfb-run -a -s "-screen 0 1024x768x24" "${game[@]}")
fi
set +e
"${game[@]}"
code=$?
set -e
# timeout's own code when it ended the game on purpose
[ "$code" -eq 124 ] && code=0
exit $code
