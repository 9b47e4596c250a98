#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Usage: ./test.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
# No folder of src/ may include one above it (docs/architecture.md).
./scripts/check-layers.sh
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
run=(ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 300)
if [ -z "${DISPLAY:-}" ]; then
  # A private X server; -displayfd picks a free display number without the
  # race that several servers started at once can have; -noreset keeps it
  # from refusing connections while it resets after its last client left.
  xdir=$(mktemp -d)
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$xdir/display" >"$xdir/log" 2>&1 &
  xpid=$!
  trap 'kill $xpid 2>/dev/null; rm -rf "$xdir"' EXIT
  for _ in $(seq 200); do [ -s "$xdir/display" ] && break; sleep 0.05; done
  [ -s "$xdir/display" ] || { echo "Xvfb did not start:"; cat "$xdir/log"; exit 1; }
  export DISPLAY=":$(cat "$xdir/display")"
fi
"${run[@]}"
