#!/usr/bin/env bash
# The program as a terminal and the desktop menu start it: --help and --version print without a
# display; --station makes the station folder from the examples once and works in it; the
# desktop entry gives it the user's data folder.
#   station_folder.sh ORVANE EXAMPLES DESKTOP-ENTRY
set -euo pipefail
orvane=$1 examples=$2 entry=$3
scratch=$(mktemp -d) console=""
trap '[[ -z $console ]] || kill "$console"; rm -rf "$scratch"' EXIT
# Waits for "$@" to hold, ten seconds at most.
await() { for _ in $(seq 200); do "$@" && return 0; sleep 0.05; done; echo "FAILED: $*" >&2; exit 1; }

headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$orvane")
"${headless[@]}" --help | grep -q -- "--station PASTA"
[[ $("${headless[@]}" --version) == "orvane 1.0" ]]
# A mistake on the line is told in Portuguese, with the usage, and needs no display either.
for wrong in --bogus --station; do
  status=0
  "${headless[@]}" "$wrong" >/dev/null 2>"$scratch/said" || status=$?
  [[ $status == 2 ]]
  grep -q "^Uso: orvane" "$scratch/said"
done

works_in() { [[ $(readlink "/proc/$console/cwd") == "$1" ]]; }
run_in() {  # FOLDER [WHERE IT IS, when spelled otherwise]; the toolkit's own options pass
  QT_QPA_PLATFORM=offscreen "$orvane" -style fusion --station "$1" & console=$!
  await works_in "${2:-$1}"
  kill "$console" && wait "$console" || true
  console=""
}
station="$scratch/data/orvane"
run_in "$station"
cmp "$station/DEF.INI" "$examples/DEF.INI"
cmp "$station/RDSTXT.TXT" "$examples/RDSTXT.TXT"
echo "[CLIENT]SETPTY=0A" >"$station/DEF.INI"
rm "$station/RDSTXT.TXT"
run_in "$station"  # never seeded again
[[ $(cat "$station/DEF.INI") == "[CLIENT]SETPTY=0A" && ! -e $station/RDSTXT.TXT ]]
# However a new folder is spelled, it starts from the examples; a link stays a link.
ln -s made/by/link "$scratch/link"
cd "$scratch"
for spelling in "slash/:slash" "./gone/../dots/.:dots" "link:made/by/link"; do
  run_in "${spelling%:*}" "$scratch/${spelling#*:}"
  cmp "${spelling#*:}/DEF.INI" "$examples/DEF.INI"
  cmp "${spelling#*:}/RDSTXT.TXT" "$examples/RDSTXT.TXT"
done
[[ -L link ]]

# The entry as the desktop runs it, with a stand-in that notes what it was given.
mkdir "$scratch/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/given"\n' "$scratch" >"$scratch/bin/orvane"
chmod +x "$scratch/bin/orvane"
for data in "$scratch/my data" ""; do
  rm -f "$scratch/given"
  PATH="$scratch/bin:$PATH" HOME="$scratch/home" XDG_DATA_HOME="$data" gio launch "$entry"
  await test -s "$scratch/given"
  [[ $(cat "$scratch/given") == $'--station\n'"${data:-$scratch/home/.local/share}/orvane" ]]
done
