#!/usr/bin/env bash
# Start-up time to the first shown window, peak memory and CPU of the console, side by side with a
# bare Qt dialog of the same controls, one run of each in turn; then the CPU an idle connected
# console uses (idle-seconds 0 skips it).
#   bench/startup.sh [build-folder] [runs] [idle-seconds]
# Needs a display: run it under xvfb-run when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-15}
idle=${3:-60}
bench="$build/bench/orvane_bench_startup"
encoder="$build/encoder/orvane-encoder"

work=$(mktemp -d)
trap 'kill ${encoder_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$root/examples/DEF.INI" "$root/examples/RDSTXT.TXT" "$work/"
cd "$work"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

for ((i = 0; i < runs; i++)); do
  "$bench" bare >>bare.txt 2>/dev/null
  "$bench" console >>console.txt 2>/dev/null
done
# Each pair's ratio, for time to the window, peak memory and CPU by then: min, median and max.
pairs() {
  paste -d' ' console.txt bare.txt | awk -v f="$1" '{print $f / $(f + 3)}' | sort -n |
    awk '{a[NR] = $1} END {m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
      printf "%.2fx %.2fx %.2fx (min median max)", a[1], m, a[NR]}'
}
for field in 1:"start-up to first shown window":ms 2:"peak memory":kB 3:"CPU to first shown window":ms; do
  IFS=: read -r f name unit <<<"$field"
  console=$(cut -d' ' -f"$f" console.txt | median)
  bare=$(cut -d' ' -f"$f" bare.txt | median)
  echo "$name, $runs pairs: console ${console} $unit, bare dialog ${bare} $unit (medians)," \
    "ratio of medians $(awk -v a="$console" -v b="$bare" 'BEGIN {printf "%.2f", a / b}')x," \
    "pair by pair $(pairs "$f")"
done

[ "$idle" -gt 0 ] || exit 0
"$encoder" --no-state >/dev/null 2>&1 &
encoder_pid=$!
sleep 0.5
read -r cpu connected < <("$bench" idle "$idle" 2>/dev/null)
echo "idle, ${connected}, ${idle} s: ${cpu} s of CPU," \
  "$(awk -v c="$cpu" -v s="$idle" 'BEGIN {printf "%.3f", 100 * c / s}')% of one core"
