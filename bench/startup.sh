#!/usr/bin/env bash
# Start-up time to the first shown window and peak memory of the console, side by side with a
# bare Qt dialog of the same size, then the CPU an idle connected console uses.
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
bare_ms=$(cut -d' ' -f1 bare.txt | median)
console_ms=$(cut -d' ' -f1 console.txt | median)
bare_kb=$(cut -d' ' -f2 bare.txt | median)
console_kb=$(cut -d' ' -f2 console.txt | median)
echo "start-up to first shown window (median of $runs): console ${console_ms} ms, bare dialog ${bare_ms} ms," \
  "ratio $(awk -v a="$console_ms" -v b="$bare_ms" 'BEGIN {printf "%.2f", a / b}')"
echo "peak memory (median of $runs): console ${console_kb} kB, bare dialog ${bare_kb} kB," \
  "ratio $(awk -v a="$console_kb" -v b="$bare_kb" 'BEGIN {printf "%.2f", a / b}')"

"$encoder" --no-state >/dev/null 2>&1 &
encoder_pid=$!
sleep 0.5
read -r cpu connected < <("$bench" idle "$idle" 2>/dev/null)
echo "idle, ${connected}, ${idle} s: ${cpu} s of CPU," \
  "$(awk -v c="$cpu" -v s="$idle" 'BEGIN {printf "%.3f", 100 * c / s}')% of one core"
