#!/usr/bin/env bash
# Sets everything up, builds, and runs every test:
#   1. the normal build (warnings are errors), its whole suite under a virtual display;
#   2. the data checker on the demo's data;
#   3. the same suite built with AddressSanitizer + UndefinedBehaviorSanitizer;
#   4. every fuzz target for a bounded time (FUZZ_SECONDS, 30 in CI, 10 otherwise).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

scripts/setup.sh

jobs=${JOBS:-2}
display=(xvfb-run -a -s "-screen 0 1024x768x24")

run_suite() {
  local build=$1 attempts=$2; shift 2
  echo "== ${build}: configure and build"
  cmake -S "$root" -B "$root/$build" -G Ninja -DDUNHAVEN_WERROR=ON "$@" > "$root/$build.configure.log" 2>&1 \
    || { cat "$root/$build.configure.log"; return 1; }
  cmake --build "$root/$build" -j "$jobs"
  echo "== ${build}: tests"
  # A test that fails is run again before it counts: the leak checker of the
  # sanitizer build can itself crash at exit while library threads (sound,
  # the software GL driver) end ("LeakSanitizer has encountered a fatal
  # error", "Tracer caught signal 11"), on a loaded machine twice in a row; a
  # real fault fails every time.
  (cd "$root/$build" && "${display[@]}" ctest --output-on-failure -j "$jobs" --timeout 300 --repeat "until-pass:$attempts")
}

# The demo's data as the game loads it: any error the checker finds fails the run.
check_demo_data() {
  local data=$root/build/data
  [ -d "$data" ] || data=$root/build/bin/data.pack
  echo "== demo data: datacheck ${data#$root/}"
  "$root/build/bin/datacheck" "$data"
}

status=0
run_suite build 2 -DCMAKE_BUILD_TYPE=RelWithDebInfo || status=1
check_demo_data || status=1
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan 3 -DCMAKE_BUILD_TYPE=Debug -DDUNHAVEN_SANITIZE=ON || status=1

if [ -n "${CI:-}" ]; then
  export FUZZ_SECONDS=${FUZZ_SECONDS:-30}
else
  export FUZZ_SECONDS=${FUZZ_SECONDS:-10}
fi
echo "== fuzz targets, ${FUZZ_SECONDS}s each"
scripts/fuzz.sh || status=1

if [ $status -eq 0 ]; then
  echo "test.sh: every suite passed"
else
  echo "test.sh: FAILURES above" >&2
fi
exit $status
