#!/usr/bin/env bash
# Configures ./build and builds the program in it (warnings are errors).
#
#   ./scripts/build.sh           the program, after installing what it needs
#   ./scripts/build.sh --tests   everything: the program, the tests and the benchmarks, after
#                                installing what they need too
#
# Both use the one configuration in ./build: a first build without --tests leaves the tests and
# benchmarks out of it; --tests adds them, and a later build of the program alone keeps them
# configured, so nothing is compiled twice.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tests=0
for arg in "$@"; do
  case "$arg" in
    --tests) tests=1 ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
  esac
done
jobs="${VANTORA_JOBS:-$(nproc)}"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_WERROR=ON)
if ((tests)); then
  "$root/scripts/install-deps.sh" --tests
  options+=(-DVANTORA_BUILD_TESTS=ON -DVANTORA_BUILD_BENCH=ON)
  targets=(all)
else
  "$root/scripts/install-deps.sh"
  if [ ! -f "$root/build/CMakeCache.txt" ]; then
    options+=(-DVANTORA_BUILD_TESTS=OFF -DVANTORA_BUILD_BENCH=OFF)
  fi
  targets=(vantora)
fi
cmake -S "$root" -B "$root/build" -G Ninja "${options[@]}"
cmake --build "$root/build" --parallel "$jobs" --target "${targets[@]}"
