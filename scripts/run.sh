#!/usr/bin/env bash
# Sets up, builds and opens the console in station/, with the reference encoder beside it.
#   scripts/run.sh
# station/ is the console's working folder (DEF.INI, RDSTXT.TXT); it is seeded once from
# examples/ and then left alone, so the list you edit there survives rebuilds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

console="$build/app/orvane"
encoder="$build/encoder/orvane-encoder"
if [[ ! -x "$console" ]]; then
  echo "run: the console window is not built yet; only the core libraries and their tests exist." >&2
  exit 1
fi

station="$root/station"
mkdir -p "$station"
for file in DEF.INI RDSTXT.TXT; do
  [[ -e "$station/$file" ]] || cp "$root/examples/$file" "$station/$file"
done

encoder_pid=""
stop_encoder() {
  if [[ -n "$encoder_pid" ]]; then
    kill "$encoder_pid" 2>/dev/null || true
    wait "$encoder_pid" 2>/dev/null || true
  fi
}
trap stop_encoder EXIT

if (exec 3<>/dev/tcp/127.0.0.1/6969) 2>/dev/null; then
  echo "run: something already listens on 127.0.0.1:6969; the console will use it."
elif [[ -x "$encoder" ]]; then
  "$encoder" &
  encoder_pid=$!
else
  echo "run: orvane-encoder is not built; the console starts without an encoder." >&2
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "run: no display found (DISPLAY and WAYLAND_DISPLAY are empty); try: xvfb-run scripts/run.sh" >&2
  exit 1
fi

cd "$station"
"$console"
