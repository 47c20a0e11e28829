#!/bin/sh
# The service unit's sandbox as systemd scores it: 2.0 or less, where 10 is no sandbox at all.
# Skipped (77) where systemd's tools are not installed.
command -v systemd-analyze >/dev/null 2>&1 || { echo "no systemd-analyze: skipped"; exit 77; }
limit=2.0
out=$(systemd-analyze security --offline=true --no-pager "$1" 2>&1)
score=$(printf '%s\n' "$out" | sed -n 's/.*Overall exposure level for .*: \([0-9.]*\).*/\1/p')
[ -n "$score" ] || { echo "$out"; exit 1; }
echo "exposure $score (at most $limit)"
awk -v s="$score" -v l="$limit" 'BEGIN { exit !(s <= l) }' || { echo "$out"; exit 1; }
