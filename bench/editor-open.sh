#!/bin/sh
# The list editor opening a long list against a QTreeView over a plain model, one opening of each
# in turn (bench/EditorOpenBench.cpp): each pair's ratio of time and of memory held while open.
#   bench/editor-open.sh [build directory, default build] [pairs, default 7] [lines, default 1000000]
# Needs a display: run it under xvfb-run when there is none.
set -eu
bench="${1:-build}/bench/orvane_bench_editor_open"
pairs="${2:-7}"
lines="${3:-1000000}"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# A run that fails (with no display, Qt gives up) must stop the bench, not become a ratio of nothing.
run() {
  "$bench" "$1" "$lines" 2>/dev/null ||
    { echo "editor-open: the $1 run failed; with no display, run it under xvfb-run" >&2; exit 1; }
}
for _ in $(seq "$pairs"); do
  editor=$(run editor)
  plain=$(run plain)
  printf '%s %s\n' "$editor" "$plain"
done >"$out"
# Fields: editor ms, kB, peak kB, then the same for the plain view.
awk -v lines="$lines" '
  function spread(v, n,   i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return sprintf("%.2fx %.2fx %.2fx", v[1], (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2, v[n])
  }
  { n++; time[n] = $1 / $4; held[n] = $2 / $5; peak[n] = $3 / $6
    printf "pair %d: editor %.0f ms, %d kB held, peak %d kB; plain view %.0f ms, %d kB held, peak %d kB\n", n, $1, $2, $3, $4, $5, $6 }
  END {
    printf "editor / plain QTreeView, %d rows, %d pairs (min median max): time %s, memory held %s, peak %s\n",
      lines, n, spread(time, n), spread(held, n), spread(peak, n)
  }' "$out"
