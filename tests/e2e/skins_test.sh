#!/usr/bin/env bash
# End-to-end: the real program started with each sample skin remembered; the
# screen must show the skin's pieces at their own size, every colour of the
# skin and no other, and the title "VRK - <skin>".
set -uo pipefail
source "$(dirname "$0")/lib.sh"
shots="$PEBBLORA_BUILD/e2e-shots/skins"
rm -rf "$shots"; mkdir -p "$shots"
prepare_device
view_top=26; view_height=268   # the 240 x 320 screen below the bars

for folder in "$PEBBLORA_ROOT"/skins/*/; do
    name=$(basename "$folder")
    ini="$folder$name.ini"
    colours=$(sed -n 's/^num *= *\([0-9]*\).*/\1/p' "$ini" | tr -d '\r')
    piece=$(sed -n 's/^piece *= *"\{0,1\}\([^"]*\)"\{0,1\}.*/\1/p' "$ini" | tr -d '\r')
    remember_skin "\\My Documents\\Skins\\$name\\$name.ini"
    DESKTOP="PebbloraSkin-${name// /}"
    start_program 240x320 || continue
    title=$(program_title)
    [ "$title" = "VRK - $name" ] || fail "$name: title is '$title'"
    shoot "$shots/$name.png"
    python3 "$(dirname "$0")/check_board.py" "$shots/$name.png" "$folder$piece" "$colours" $view_top $view_height ||
        fail "$name: the board does not show the skin"
    stop_program || fail "$name: Ctrl+Q did not end the program"
done

remember_skin ""
echo "screenshots in $shots"
[ "$failures" -eq 0 ] && echo "PASS" && exit 0
exit 1
