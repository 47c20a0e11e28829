#!/usr/bin/env bash
# Prints which room of the encoder includes which: one line "FROM -> TO  (N includes)" for every
# pair of rooms, from the project's own #include "..." lines. A room is text/ or a folder of
# encoder/; an include is placed in the room that holds a header of that name. A line where a
# lower room reaches up into a higher one is marked "UPWARD", one between the two rooms that
# stand side by side (doors and monitor) "ACROSS", and the script then exits 1, so it can guard
# the layering.
#   scripts/include-graph.sh
set -euo pipefail
cd "$(dirname "$0")/.."

rooms=(text encoder/io encoder/rds encoder/uecp encoder/doors encoder/monitor encoder console)
rank() {
  case $1 in
    text) echo 0 ;; encoder/io) echo 1 ;; encoder/rds) echo 2 ;; encoder/uecp) echo 3 ;;
    encoder/doors | encoder/monitor) echo 4 ;; encoder) echo 5 ;; console) echo 6 ;;
  esac
}
room_of_header() {
  for room in "${rooms[@]}"; do
    [[ -f "$room/$1" ]] && { echo "$room"; return; }
  done
  return 0  # a generated or system header belongs to no room
}

faults=0
for from in "${rooms[@]}"; do
  [[ $from == console ]] && continue
  declare -A count=()
  for file in "$from"/*.h "$from"/*.cpp; do
    [[ -f $file ]] || continue
    while read -r header; do
      to=$(room_of_header "$header")
      [[ -n $to && $to != "$from" ]] && count[$to]=$((${count[$to]:-0} + 1))
    done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$file")
  done
  for to in "${!count[@]}"; do
    mark=""
    if [[ $to == console || $(rank "$to") -gt $(rank "$from") ]]; then
      mark="  UPWARD"
      faults=1
    elif [[ $(rank "$to") -eq $(rank "$from") ]]; then
      mark="  ACROSS"
      faults=1
    fi
    echo "$from -> $to  (${count[$to]} includes)$mark"
  done | sort
  unset count
done
exit $faults
