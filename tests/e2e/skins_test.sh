#!/usr/bin/env bash
# End-to-end: the real program started with ./run.sh --skin for each sample
# skin; the screen must show the skin's pieces at their own size, every
# colour of the skin and no other, and the title "VRK - <skin>".
set -uo pipefail
E2E_NAME=skins
source "$(dirname "$0")/lib.sh"
fresh_run_dir

for folder in "$PEBBLORA_ROOT"/skins/*/; do
    name=$(basename "$folder")
    ini="$folder$name.ini"
    colours=$(sed -n 's/^num *= *\([0-9]*\).*/\1/p' "$ini" | tr -d '\r')
    piece=$(sed -n 's/^piece *= *"\{0,1\}\([^"]*\)"\{0,1\}.*/\1/p' "$ini" | tr -d '\r')
    start_program --skin "$name" || continue
    title=$(program_title)
    [ "$title" = "VRK - $name" ] || fail "$name: title is '$title'"
    shoot "$E2E_SHOTS/$name.png"
    python3 "$E2E_DIR/check_board.py" "$E2E_SHOTS/$name.png" "$folder$piece" "$colours" $view_top $view_height ||
        fail "$name: the board does not show the skin"
    stop_program || fail "$name: Ctrl+Q did not end the program"
done
finish
