#!/bin/sh
# The service unit as systemd reads it, with the built program in place of the installed one:
# no error and no warning. Skipped (77) where systemd's tools are not installed.
command -v systemd-analyze >/dev/null 2>&1 || { echo "no systemd-analyze: skipped"; exit 77; }
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
sed "s|^ExecStart=orvane-encoder|ExecStart=$2|" "$1" > "$dir/orvane-encoder.service"
out=$(systemd-analyze verify "$dir/orvane-encoder.service" 2>&1) && [ -z "$out" ] && exit 0
echo "$out"
exit 1
