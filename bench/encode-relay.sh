#!/bin/sh
# ENCODE to the last byte of its UECP frame at a peer, as a ratio to a bare two-hop relay, with
# the encoder's log on a pipe that another process reads (bench/EncodeRelayBench.cpp). Two more
# ratios part that figure: a relay that waits in poll as the encoder's loop does, against the bare
# one (the kernel's price of one loop), and the encoder against that relay (the encoder's work);
# two more a relay that also logs each forward to a pipe with a reader (the log's own price).
#   bench/encode-relay.sh [build directory, default build] [pairs] [rounds per pair] [code lines]
#                         [pages]
# On a machine that others load, each leg's wake-ups land on an idle or a busy core by chance,
# and the relay's time alone then moves between 80 and 200 us: ORVANE_BENCH_CPU=0 keeps every
# process of the bench on that one core, which gives the same ratio run after run.
# ORVANE_BENCH_BASELINE=path/to/an/earlier/orvane-encoder runs that build in the same rounds, for
# a before and after from the same minutes: this machine's speed moves between runs.
# ORVANE_BENCH_SETTLE_US=200 pauses 200 us instead of 2 ms before each leg: with less time asleep,
# less of each leg's code has been taken from the caches by the time it runs.
set -eu
build="${1:-build}"
pin=${ORVANE_BENCH_CPU:+taskset -c $ORVANE_BENCH_CPU}
exec $pin "$build/bench/orvane_bench_encode_relay" "$build/encoder/orvane-encoder" \
  "${2:-7}" "${3:-1000}" "${4:-0}" "${5:-0}"
