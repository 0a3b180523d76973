#!/usr/bin/env bash
# Takes the README's screenshots from the real program and writes them to
# docs/images/. Drives ./run.sh with the end-to-end tests' own steps
# (tests/e2e/lib.sh) on an Xvfb display of its own, on a run dir made from
# nothing, so the pictures can be taken again after any change:
#
#   tools/screenshots.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export PEBBLORA_BUILD="${PEBBLORA_BUILD:-$root/build}"
if [ "${PEBBLORA_SCREENSHOTS_IN_XVFB:-0}" != 1 ]; then
    PEBBLORA_SCREENSHOTS_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
E2E_NAME=screenshots
E2E_LIMIT=${E2E_LIMIT:-900}
source "$root/tests/e2e/lib.sh"
fresh_run_dir
images="$root/docs/images"
mkdir -p "$images"

# The Delete question's No.
no_x=180; no_y=271

# A shot with the pointer off the device's screen, so that no tooltip shows.
keep() {
    xdotool mousemove 1020 760
    settle
    shoot "$images/$1.png" && echo "docs/images/$1.png"
}
# The view menu's items counted from its last one: Details, List, ...
view_menu_item() {
    tap $view_x $view_y
    for ((i = 0; i < $1; i++)); do xdotool key Up; done
    xdotool key Return
    settle
}

# The game with three sample skins; the About sheet.
for skin in Garden "Night Sky" Candy; do
    start_program --skin "$skin" || finish
    keep "game-$(tr 'A-Z ' 'a-z-' <<<"$skin")"
    if [ "$skin" = Candy ]; then
        tap 120 $((view_top + 10))
        xdotool key F1
        wait_until "the About sheet" dialog_in_front && settle
        keep about
        xdotool key Escape
        wait_until "the About sheet to close" main_in_front && settle

        # The chooser in Candy's folder, in Details; the skins in List.
        open_chooser
        view_menu_item 1
        keep chooser-details
        to_another_folder tap $up_x $up_y
        view_menu_item 2
        keep chooser-list

        # A confirmation question: Delete on a skin folder, then No.
        tap $first_item_x $first_item_y
        xdotool key Delete
        wait_until "the question" front_is "Confirm folder delete" && settle
        keep confirm-delete
        tap $no_x $no_y
        wait_until "the question to close" front_is "Open"

        # Find "*.ini" from the list's popup.
        xdotool mousemove --window "$desktop" $hold_x $hold_y click 3
        settle
        xdotool mousemove --window "$desktop" $find_item_x $find_item_y click 1
        settle
        before=$(current_bar)
        xdotool type --delay 40 '*.ini'
        xdotool key Return
        wait_until "the Find results" bar_is_not "$before" && settle
        keep find-results
        xdotool key Escape
        wait_until "the skin chooser to close" main_in_front
    fi
    stop_program || fail "Ctrl+Q did not end the program"
done

# Japanese: a first start with no remembered skin opens the chooser.
if start_program --ja --skin none; then
    keep chooser-japanese
    dismiss_chooser
    stop_program || fail "Ctrl+Q did not end the program"
fi

# The high-density screen.
if start_program --hires --skin "Contrast Large"; then
    keep game-hires
    end_wine
fi
finish
