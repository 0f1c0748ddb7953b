#!/usr/bin/env bash
# Rewrites the golden trace (tests/golden/pass.trace.jsonl) from scripts/pass.replay with the
# replay built in BUILD_DIR (default build/). Run it only when a change is meant to alter what the
# game draws or keeps, and review the trace's diff before committing it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/assets/kavrel.bmp" "$work/"
status=0
(cd "$work" && "$build/kavrel-replay" "$root/scripts/pass.replay" --trace trace.jsonl) || status=$?
((status == 3)) || { echo "golden.sh: the pass ended with $status, not at its end" >&2; exit 1; }
mkdir -p "$root/tests/golden"
mv "$work/trace.jsonl" "$root/tests/golden/pass.trace.jsonl"
echo "golden.sh: wrote tests/golden/pass.trace.jsonl ($(wc -l <"$root/tests/golden/pass.trace.jsonl") lines)"
