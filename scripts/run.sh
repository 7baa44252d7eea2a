#!/usr/bin/env bash
# Installs what is missing, builds Pictaron and starts it.
# Usage: scripts/run.sh [PICTURE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build" >&2
exec "$root/build/pictaron" "$@"
