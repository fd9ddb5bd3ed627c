#!/usr/bin/env bash
# Measures what the game costs while the player leaves it alone on its first
# screen: the CPU time of the whole process (every thread, the software GL
# renderer's included) over a stretch of seconds, as a share of one core.
#
#   scripts/measure-idle.sh [build/bin] [seconds]
#
# Runs three ways on a private virtual display and a fresh save folder:
#   still        the moving effects held still (DUNHAVEN_HOLD_EFFECTS=1): frames
#                draw only when something changes
#   every-frame  the same, with the option DrawEveryFrame: every frame draws
#   live         the first screen as a player sees it, effects moving
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
seconds=${2:-20}
ticks=$(getconf CLK_TCK)

cpu_ticks() { # utime + stime of the process and its finished children
    awk '{print $14 + $15}' "/proc/$1/stat"
}

measure() {
    local name=$1 hold=$2 every=$3
    local home
    home=$(mktemp -d)
    if [ "$every" = 1 ]; then
        # The first run writes the options file; the option is set in it.
        (cd "$bin" && HOME=$home XDG_DATA_HOME=$home/data timeout -s INT 8 \
            xvfb-run -a -s "-screen 0 1024x768x24" ./dunhaven > /dev/null 2>&1 || true)
        local file
        file=$(find "$home/data" -name options.widget | head -1)
        sed -i 's/options.DrawEveryFrame = false;/options.DrawEveryFrame = true;/' "$file"
    fi
    local out
    out=$(cd "$bin" && HOME=$home XDG_DATA_HOME=$home/data DUNHAVEN_HOLD_EFFECTS=$hold \
        xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
            ./dunhaven > /dev/null 2>&1 & game=$!
            sleep 6
            start=$(awk "{print \$14 + \$15}" /proc/$game/stat)
            sleep '"$seconds"'
            end=$(awk "{print \$14 + \$15}" /proc/$game/stat)
            kill -INT $game; wait $game || true
            echo $((end - start))')
    rm -rf "$home"
    awk -v t="$out" -v hz="$ticks" -v s="$seconds" -v n="$name" \
        'BEGIN { printf "%-12s %5.1f%% of a core\n", n, 100 * t / hz / s }'
}

measure still 1 0
measure every-frame 1 1
measure live 0 0
