#!/bin/sh
# The encoder's output stage against an ideal writer of the same groups (bench/RdsBench.cpp):
# how many times the ideal's time the group lines take, and what share of the ideal's speed the
# multiplex reaches. Usage: bench/ratios.sh [build directory, default build]
set -eu
bench="${1:-build}/bench/orvane_bench_rds"
"$bench" --benchmark_filter='Ten|Sixty' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
  awk -F, '$1 ~ /_median"$/ { gsub(/"/, "", $1); sub(/_median$/, "", $1); t[$1] = $3 }
    END {
      printf "--groups:  %.1f ms, ideal %.1f ms: %.2fx the ideal time\n",
        t["GroupLinesTenMinutes"], t["GroupLinesTenMinutesIdeal"],
        t["GroupLinesTenMinutes"] / t["GroupLinesTenMinutesIdeal"]
      printf "--mpx:     %.1f ms, ideal %.1f ms: %.0f%% of the ideal speed\n",
        t["MultiplexSixtySeconds"], t["MultiplexSixtySecondsIdeal"],
        100 * t["MultiplexSixtySecondsIdeal"] / t["MultiplexSixtySeconds"]
    }'
