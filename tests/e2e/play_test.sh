#!/usr/bin/env bash
# End-to-end: the real program in a 240 x 320 device desktop, started with
# ./run.sh on a fresh prefix, played with taps and then with keys as a person
# would, checked by the pixels on the screen.
set -uo pipefail
E2E_NAME=play
source "$(dirname "$0")/lib.sh"
fresh_run_dir
# The built-in pieces are 16 pixels: 15 x 15 cells with row 0 at the bottom.
cell=16
cell_x() { echo $(( $1 * cell + cell / 2 )); }
cell_y() { echo $(( view_top + view_height - $1 * cell - cell / 2 )); }

snap() { shoot "$E2E_SHOTS/$1.png"; echo "$E2E_SHOTS/$1.png"; }
# The board area of a shot as one checksum, to see whether a tap changed it.
board_sum() { convert "$1" -crop "240x$((15 * cell))+0+$((view_top + view_height - 15 * cell))" +repage -format "%#" info:; }

start_program || finish
# A newcomer's first start opens the skin chooser; Cancel keeps the built-in board.
dismiss_chooser

# 1. The first screen: a full board of pieces and the score band.
first=$(snap first)
check_game_screen "$first"

# 2. Taps: along the bottom rows until one removes a group.
before=$(board_sum "$first")
changed=""
for r in 0 1 2; do
    for c in $(seq 0 14); do
        tap "$(cell_x $c)" "$(cell_y $r)"
        shot=$(snap "tap-$c-$r")
        if [ "$(board_sum "$shot")" != "$before" ]; then changed="$c,$r"; break 2; fi
    done
done
[ -n "$changed" ] || fail "no tap on the bottom rows changed the board"
if [ -n "$changed" ]; then
    # A removal empties cells at the top of some column: the top row then
    # shows the background, not white and not all pieces as before.
    after=$(snap after-move)
    emptied=0
    for c in $(seq 0 14); do
        top_before=$(pixel "$first" "$(cell_x $c)" "$(cell_y 14)")
        top_after=$(pixel "$after" "$(cell_x $c)" "$(cell_y 14)")
        [ "$top_before" != "$top_after" ] && emptied=$((emptied + 1))
    done
    [ "$emptied" -gt 0 ] || fail "a removal left every top cell as it was"
fi

# 3. Keys only: a tap on the score band lets the keyboard in and changes
# nothing on the board; the first arrow shows the cursor on the bottom-left
# piece. Then three moves, each walked to the nearest group by arrows and
# played with Enter, each board checked against the rules.
tap 120 $((view_top + 10))
xdotool key Up
settle
shot=$(snap keys-0)
state="$E2E_SHOTS/keys.json"
strip="$PEBBLORA_ROOT/resources/bitmaps/pieces.bmp"
for move in 1 2 3; do
    keys=$(python3 "$E2E_DIR/keys_move.py" plan "$shot" "$strip" 4 $view_top $view_height "$state" 2>&1) ||
        { fail "before move $move by keys: $keys"; break; }
    xdotool key --delay 60 $keys
    settle
    shot=$(snap "keys-$move")
    python3 "$E2E_DIR/keys_move.py" check "$shot" "$strip" 4 $view_top $view_height "$state" ||
        fail "move $move by keys ($keys): the board is not as the rules say ($shot)"
done

# 4. Ctrl+Q ends the program (and with it the desktop).
stop_program || fail "Ctrl+Q did not end the program"
finish
