#!/usr/bin/env bash
# Sets up, builds and starts the console.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

if [[ ! -x "$build/app/orvane" ]]; then
  echo "run: the console window is not built yet; only the core libraries and their tests exist." >&2
  exit 1
fi
exec "$build/app/orvane"
