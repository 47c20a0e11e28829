#!/bin/sh
# A console update to its first bit of RDS at a card's pace (bench/UpdateToAirBench.cpp): the
# multiplex on a pipe taken at 192 kHz behind a card's buffer, as the encoder runs by default on
# a pipe and with --realtime. Usage: bench/update-to-air.sh [build directory, default build] [updates]
set -eu
build="${1:-build}"
bench="$build/bench/orvane_bench_update_to_air"
encoder="$build/encoder/orvane-encoder"
echo "paced by the pipe's reader:"
"$bench" "$encoder" "${2:-20}" 50
echo "on the system clock (--realtime):"
"$bench" "$encoder" "${2:-20}" 50 --realtime
