#!/bin/sh
# The installed configuration file shows a key for every long option of --help and none that is
# not one, and the manual pages name every option: an option that one of them forgot fails here.
#   options-agree.sh ENCODER encoder.toml MAN-SOURCE-DIR
set -eu
encoder=$1 toml=$2 man=$3
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
"$encoder" --help | sed -n 's/^ *--\([a-z][a-z0-9-]*\).*/\1/p' | sort -u > "$dir/options"
[ -s "$dir/options" ] || { echo "no option read from --help"; exit 1; }
# Only the program's own options are no keys; the schedule's tables come after the last key.
grep -v -x -e help -e config -e check "$dir/options" > "$dir/expected" || true
sed -n '/^# \[\[/q; s/^# \([a-z][a-z0-9-]*\) = .*/\1/p' "$toml" | sort > "$dir/keys"
status=0
if ! diff -u "$dir/expected" "$dir/keys" > "$dir/diff"; then
  echo "the keys of $toml (+) and the options of --help (-) differ:"; cat "$dir/diff"; status=1
fi
while read -r option; do
  if ! grep -q -F -e "*--$option*" "$man/orvane-encoder.8.scd" "$man/orvane-encoder.toml.5.scd"; then
    echo "no manual page names --$option"; status=1
  fi
done < "$dir/options"
exit $status
