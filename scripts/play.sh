#!/usr/bin/env bash
# Sets up, builds and starts the game in its ready working directory (build/run), which holds the
# sprite sheet and, after the first quit with Q, the two data files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
cd "$root/build/run"
exec "$root/build/kavrel"
