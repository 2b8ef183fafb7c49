#!/usr/bin/env bash
# Configures and builds everything in ./build (warnings are errors).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_WERROR=ON
cmake --build "$root/build" --parallel "${VANTORA_JOBS:-$(nproc)}"
