#!/usr/bin/env bash
# End-to-end: the real program in a 240 x 320 device desktop, played with
# taps as a person would, checked by the pixels on the screen.
#
# Runs inside the test run's Xvfb and Wine prefix (see tools/run-tests-headless.sh);
# its device is build/e2edevice on a drive of its own, so it never meets the
# unit tests' device.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
shots="$PEBBLORA_BUILD/e2e-shots/play"
rm -rf "$shots"; mkdir -p "$shots"
prepare_device
remember_skin ""
DESKTOP=PebbloraE2E
# Geometry of the 240 x 320 screen: a 26-pixel navigation bar on top, the
# 26-pixel menu bar at the bottom, the view of 240 x 268 between them; the
# built-in pieces are 16 pixels, so 15 x 15 cells with row 0 at the bottom.
view_top=26; view_height=268; cell=16
cell_x() { echo $(( $1 * cell + cell / 2 )); }
cell_y() { echo $(( view_top + view_height - $1 * cell - cell / 2 )); }

snap() { shoot "$shots/$1.png"; echo "$shots/$1.png"; }
# The board area of a shot as one checksum, to see whether a tap changed it.
board_sum() { convert "$1" -crop "240x$((15 * cell))+0+$((view_top + view_height - 15 * cell))" +repage -format "%#" info:; }

start_program 240x320 || exit 1

# 1. The first screen: a full board of pieces and the score band.
first=$(snap first)
size=$(identify -format "%wx%h" "$first")
[ "$size" = "240x320" ] || fail "screen is $size, expected 240x320"
white=0
for c in 0 7 14; do
    for r in 0 7 14; do
        [ "$(pixel "$first" "$(cell_x $c)" "$(cell_y $r)")" = "255,255,255" ] && white=$((white + 1))
    done
done
[ "$white" -eq 0 ] || fail "$white of 9 sampled cells are white: the board is not drawn"
# The digits of the score band are dark on light: some pixel of "000000" is dark.
dark=$(convert "$first" -crop "78x20+160+$((view_top + 2))" +repage -threshold 50% -format "%[fx:mean<0.95]" info:)
[ "$dark" = "1" ] || fail "no score digits in the band"

# 2. Taps: along the bottom rows until one removes a group.
before=$(board_sum "$first")
changed=""
for r in 0 1 2; do
    for c in $(seq 0 14); do
        xdotool mousemove --window "$desktop" "$(cell_x $c)" "$(cell_y $r)" click 1
        sleep 0.3
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

# 3. Ctrl+Q ends the program (and with it the desktop).
stop_program || fail "Ctrl+Q did not end the program"

echo "screenshots in $shots"
[ "$failures" -eq 0 ] && echo "PASS" && exit 0
exit 1
