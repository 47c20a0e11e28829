#!/bin/sh
# The installed configuration file is read as the service reads it: whole as it ships, and every
# key it shows, taken out of its comment one at a time, has a value the reader accepts. A key
# that needs another (mpx-in needs mpx) is refused for the pair, never for its value.
#   shipped-file-reads.sh ENCODER encoder.toml
set -eu
encoder=$1 toml=$2
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
"$encoder" --config "$toml" --check > /dev/null
status=0
sed -n '/^# \[\[/q; s/^# \([a-z][a-z0-9-]* = .*\)/\1/p' "$toml" > "$dir/keys"
while read -r line; do
  printf '%s\n' "$line" > "$dir/one.toml"
  if "$encoder" --config "$dir/one.toml" --check 2>&1 | grep -q -F "$dir/one.toml:1:"; then
    echo "refused: $line"; "$encoder" --config "$dir/one.toml" --check || true; status=1
  fi
done < "$dir/keys"
# The schedule's example, its tables out of their comments.
sed -n '/^# \[\[/,$ s/^# //p' "$toml" > "$dir/schedule.toml"
"$encoder" --config "$dir/schedule.toml" --check > /dev/null || status=1
exit $status
