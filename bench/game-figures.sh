#!/usr/bin/env bash
# Figures of the real game on the demo, measured side by side in one run on
# private virtual displays:
#   1. (soak --figures) start to the first drawn frame of the title (warm and
#      cold file cache) against reading data.pack once, and the CPU of all the
#      game's threads and its resident memory (anonymous against file-backed
#      libraries) left alone on the title, the map and in a level, with the
#      ambient effects held still and moving;
#   2. (engine_bench DemoLevel) the level's load against decoding its pictures
#      with the bare libraries, the texture memory in the level, and the
#      engine's CPU per frame there (update, draw submission, rasteriser) with
#      the heap allocations per frame.
#
#   bench/game-figures.sh [build folder] [level]      (defaults: build, harbour_square)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
level=${2:-harbour_square}
"$build/bin/soak" --figures "$level"
DUNHAVEN_BENCH_LEVEL=$level xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/bin/engine_bench" --benchmark_filter=DemoLevel
