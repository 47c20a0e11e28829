#!/usr/bin/env bash
# Sets up, builds and opens the console in station/, beside the reference encoder and its page.
#   scripts/run.sh
# station/ is the console's working folder (DEF.INI, RDSTXT.TXT); it is seeded once from
# examples/ and then left alone, so the list you edit there survives rebuilds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Before anything starts: without a display the console cannot open, and nothing else is worth it.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "run: no display found (DISPLAY and WAYLAND_DISPLAY are empty); try: xvfb-run scripts/run.sh" >&2
  exit 1
fi

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

page="127.0.0.1:8080"
encoder_log="$build/encoder.log"
start_seconds=10
encoder_pid=""
stop_encoder() {
  if [[ -n "$encoder_pid" ]]; then
    kill "$encoder_pid" 2>/dev/null || true
    wait "$encoder_pid" 2>/dev/null || true
  fi
}
trap stop_encoder EXIT

# The encoder's log goes to a file; its first line says it listens, and then its page is up.
if (exec 3<>/dev/tcp/127.0.0.1/6969) 2>/dev/null; then
  echo "run: something already listens on 127.0.0.1:6969; the console will use it."
elif [[ -x "$encoder" ]]; then
  "$encoder" --http "$page" >"$encoder_log" 2>&1 &
  encoder_pid=$!
  for ((tenth = 0; tenth < start_seconds * 10; tenth++)); do
    grep -q "a escutar em" "$encoder_log" 2>/dev/null && break
    kill -0 "$encoder_pid" 2>/dev/null || break
    sleep 0.1
  done
  if grep -q "a escutar em" "$encoder_log" 2>/dev/null; then
    echo "run: the encoder's page is at http://$page/ (its log: $encoder_log)"
  else
    echo "run: the encoder did not start; its log ($encoder_log):" >&2
    cat "$encoder_log" >&2
    encoder_pid=""
  fi
else
  echo "run: orvane-encoder is not built; the console starts without an encoder." >&2
fi

cd "$station"
"$console"
