#!/usr/bin/env bash
# Sets everything up, builds the engine, the tools, the game and its data,
# and starts it.
# Without a display (DISPLAY unset) the game runs on a virtual display for a
# short scripted tour (the first screen, the cursor moving, the window losing
# and regaining the focus, the first level with its story) and the
# screenshots of the tour are written to
# build/tour/, their paths printed. Then a short playthrough follows, played
# with clicks by the end-to-end tests' driver on a display of its own (a new
# player named, the intro movie, a story, finds on the harbour square, the
# map, the keeper's board solved, the title greeting the player); its
# screenshots are written to build/tour/chapter/, their paths printed.
# PLAY_SECONDS=N stops the game after N seconds (as Ctrl-C would); without a
# display the tour then lasts at least that long.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 \
  || { cat build.configure.log; exit 1; }
cmake --build build -j "${JOBS:-2}"

play_on_display() {
  local game=(build/bin/dunhaven)
  if [ -n "${PLAY_SECONDS:-}" ]; then
    game=(timeout -s INT --foreground "$PLAY_SECONDS" "${game[@]}")
  fi
  set +e
  "${game[@]}"
  local code=$?
  set -e
  # timeout's own code when it ended the game on purpose
  [ "$code" -eq 124 ] && code=0
  return $code
}

# --- The tour on a virtual display -------------------------------------------

tour=$root/build/tour
server_pid=
game_pid=

stop_tour() {
  [ -n "$game_pid" ] && kill -INT "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  return 0
}

start_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  server_pid=$!
  local number
  read -r -t 15 number <"$fifo" || true
  rm -f "$fifo"
  [ -n "$number" ] || { echo "play.sh: the virtual display did not start" >&2; return 1; }
  export DISPLAY=:$number
}

# Waits until the game's window is mapped; prints its id.
game_window() {
  local id
  for _ in $(seq 1 200); do
    id=$(xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

shot() {
  local path=$tour/$1.png
  import -window root "$path"
  echo "play.sh: screenshot $path"
}

play_tour() {
  rm -rf "$tour"
  mkdir -p "$tour"
  start_display
  echo "play.sh: no display found; a short tour on the virtual display $DISPLAY"
  # Sound goes nowhere: a server has no sound card.
  ALSOFT_DRIVERS=null build/bin/dunhaven > "$tour/game.log" 2>&1 &
  game_pid=$!
  local started=$SECONDS window
  window=$(game_window) || { cat "$tour/game.log"; echo "play.sh: the game opened no window" >&2; return 1; }
  # A desktop gives a new window the focus; there is no desktop here.
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool mousemove --window "$window" 960 700
  sleep 3
  shot 1-first-screen
  xdotool mousemove --window "$window" 300 200
  sleep 0.5
  xdotool mousemove --window "$window" 520 560
  sleep 1
  shot 2-cursor-moved
  # Another program takes the focus: the game shows its paused view.
  xdotool windowfocus "$(xwininfo -root | awk '/Window id:/ {print $4}')" 2>/dev/null || true
  sleep 2
  shot 3-focus-lost
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 1.5
  shot 4-focus-back
  # The console opens the first level: its intro story, then the level itself.
  console() {
    xdotool key --window "$window" grave; sleep 0.3
    xdotool type --window "$window" --delay 20 "$1"; xdotool key --window "$window" Return; sleep 0.3
    xdotool key --window "$window" grave
  }
  console "setPlayerName Tess"
  console "loadLevel harbour_square"
  sleep 6
  shot 5-level-story
  console "popUI"
  sleep 7
  shot 6-level
  local left=$(( ${PLAY_SECONDS:-0} - (SECONDS - started) ))
  [ "$left" -gt 0 ] && sleep "$left"
  kill -INT "$game_pid"
  local code=0
  wait "$game_pid" || code=$?
  game_pid=
  echo "play.sh: the game's log is $tour/game.log"
  return $code
}

# The short playthrough: the end-to-end tests' driver, which starts its own
# virtual display and plays with real clicks.
play_chapter() {
  local folder=$tour/chapter
  echo "play.sh: a short playthrough of the chapter"
  local code=0
  DUNHAVEN_TOUR_DIR=$folder build/bin/engine_tests --gtest_also_run_disabled_tests \
    --gtest_filter='PlaythroughEndToEnd.DISABLED_ShortTour' > "$tour/chapter.log" 2>&1 || code=$?
  sed -n 's/^screenshot /play.sh: screenshot /p' "$tour/chapter.log"
  if [ "$code" -ne 0 ]; then
    echo "play.sh: the short playthrough failed; its output is $tour/chapter.log" >&2
  fi
  return $code
}

if [ -n "${DISPLAY:-}" ]; then
  play_on_display
else
  trap stop_tour EXIT
  play_tour
  stop_tour
  server_pid=
  play_chapter
fi
