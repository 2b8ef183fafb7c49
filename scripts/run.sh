#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build.sh"
exec "$root/build/src/Vantora" "$@"
