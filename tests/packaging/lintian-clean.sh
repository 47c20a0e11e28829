#!/bin/sh
# Both Debian packages, made from the build tree as it is, pass lintian without an error or a
# warning, and the encoder's needs no Qt. Skipped (77) where lintian is not installed.
#   lintian-clean.sh CPACK BUILD-DIR
set -eu
cpack=$1 build=$2
command -v lintian >/dev/null 2>&1 || { echo "no lintian: skipped"; exit 77; }
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$dir" > "$dir/cpack.log" 2>&1 ||
  { cat "$dir/cpack.log"; exit 1; }
status=0
for name in orvane orvane-encoder; do
  set -- "$dir"/"${name}"_*.deb
  [ -f "$1" ] || { echo "no package $name"; cat "$dir/cpack.log"; exit 1; }
done
encoder_deb=$(ls "$dir"/orvane-encoder_*.deb)
if dpkg-deb -f "$encoder_deb" Depends | grep -qi qt; then
  echo "orvane-encoder depends on Qt: $(dpkg-deb -f "$encoder_deb" Depends)"; status=1
fi
found=$(lintian --no-tag-display-limit "$dir"/*.deb 2>&1 | grep -E '^[EW]: ' || true)
if [ -n "$found" ]; then
  echo "$found"; status=1
fi
exit $status
