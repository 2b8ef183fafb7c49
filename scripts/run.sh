#!/usr/bin/env bash
# Builds the application and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build.sh"
exec "$root/build/src/Vantora" "$@"
