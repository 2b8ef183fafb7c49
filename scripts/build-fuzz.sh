#!/usr/bin/env bash
# Configures and builds, with clang in ./build-fuzz, every fuzz target (the story file, Final Draft
# scripts, earlier versions' projects, formatted notes and server answers) with the libraries they use.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --tests
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_WERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DVANTORA_FUZZ=ON \
  -DVANTORA_BUILD_TESTS=OFF -DVANTORA_BUILD_BENCH=OFF
cmake --build "$root/build-fuzz" --parallel "${VANTORA_JOBS:-$(nproc)}" --target fuzz/all
