#!/usr/bin/env bash
# Builds every libFuzzer target with clang (ASan + UBSan) and runs each one for
# a bounded time on a copy of its seed corpus. Fails on any finding.
#   FUZZ_SECONDS  seconds per target (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDUNHAVEN_FUZZ=ON -DDUNHAVEN_WERROR=ON > "$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build"

status=0
for dir in tests/fuzz/*/; do
  name=$(basename "$dir")
  target="$build/bin/${name}Fuzz"
  [ -x "$target" ] || continue
  work=$(mktemp -d)
  cp -r "$dir/corpus/." "$work/" 2>/dev/null || true
  echo "fuzz: ${name} for ${seconds}s"
  if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$target" -max_total_time="$seconds" \
       -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "$work" > "$work.log" 2>&1; then
    echo "fuzz: ${name} FAILED"; tail -n 60 "$work.log"; status=1
  else
    echo "fuzz: ${name} clean ($(grep -o 'Done [0-9]* runs' "$work.log" | tail -1 || true))"
  fi
  rm -rf "$work" "$work.log"
done
exit $status
