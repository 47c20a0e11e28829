#!/bin/sh
# ENCODE to the last byte of its UECP frame at a peer, as a ratio to a bare two-hop relay, with
# the encoder's log on a pipe that another process reads (bench/EncodeRelayBench.cpp).
#   bench/encode-relay.sh [build directory, default build] [pairs] [rounds per pair]
set -eu
build="${1:-build}"
exec "$build/bench/orvane_bench_encode_relay" "$build/encoder/orvane-encoder" "${2:-7}" "${3:-1000}"
