#!/usr/bin/env bash
# Sets up, builds and starts the game in its ready working directory (build/run), which holds the
# sprite sheet and, after the first quit with Q, the two data files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
# Said before anything is installed or built: without a display the game cannot show itself.
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${SDL_VIDEODRIVER:-} ]]; then
  echo "play.sh: the game needs an X display and DISPLAY is not set: start it from a terminal" \
    "in a desktop session (or over ssh -X); ./scripts/test.sh runs it on a virtual one (Xvfb)" >&2
  exit 1
fi
"$root/scripts/setup.sh" game
# Only the game: the tests and tools need packages the game does not.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVREL_TESTS=OFF \
  -DKAVREL_TOOLS=OFF -DKAVREL_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kavrel rundir
cd "$build/run"
exec "$build/kavrel"
