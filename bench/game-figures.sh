#!/usr/bin/env bash
# Figures of the real game on the demo, measured side by side in one run on
# private virtual displays: start to the first drawn frame of the title (warm
# and cold file cache) against reading data.pack once, and the CPU of all the
# game's threads and its resident memory left alone on the title, the map and
# in a level, with the ambient effects held still and moving.
#
#   bench/game-figures.sh [build folder] [level]      (defaults: build, harbour_square)
set -euo pipefail
cd "$(dirname "$0")/.."
exec "${1:-build}/bin/soak" --figures "${2:-harbour_square}"
