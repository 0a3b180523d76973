#!/usr/bin/env bash
# End-to-end: the skin chooser as a newcomer meets it. A Japanese first start
# opens the chooser with its labels in glyphs, and Cancel keeps the built-in
# board. An English first start opens it in the program's folder; double
# taps go into Skins and Candy, a tap picks Candy.ini and the caption's OK
# chooses it: the title and the board become Candy's. File > Open... starts
# again in Candy's folder, and the next start loads Candy without asking.
# From there File > Open..., Up to My Device, Find "Garden*" from the list's
# popup, and a tap on Garden.ini among the results chooses Garden.
set -uo pipefail
E2E_NAME=chooser
source "$(dirname "$0")/lib.sh"
fresh_run_dir

# The caption's OK of the chooser.
done_x=221; done_y=38

# A double tap that opens a folder.
open_folder() { to_another_folder xdotool mousemove --window "$desktop" "$1" "$2" click --repeat 2 --delay 80 1; }
snap() { shoot "$E2E_SHOTS/$1.png"; echo "$E2E_SHOTS/$1.png"; }

# 1. Japanese first start: the chooser in glyphs; Cancel keeps the built-in board.
if start_program --ja; then
    shot=$(snap ja-chooser)
    python3 "$E2E_DIR/check_text.py" glyphs "$shot" $chooser_caption_rect 2 || fail "ja: the chooser's caption is not in glyphs"
    python3 "$E2E_DIR/check_text.py" glyphs "$shot" $chooser_label_rect 3 || fail "ja: the file-name label is not in glyphs"
    dismiss_chooser
    check_game_screen "$(snap ja-cancelled)"
    title=$(program_title)
    [ "$title" = "VRK (Pebblora)" ] || fail "ja: after Cancel the title is '$title'"
    stop_program || fail "ja: Ctrl+Q did not end the program"
fi

# 2. English: into Skins, into Candy, pick Candy.ini, OK.
if start_program; then
    start_bar=$(folder_bar "$(snap chooser-start)")
    open_folder $first_item_x $first_item_y   # Skins
    open_folder $first_item_x $first_item_y   # Candy, the first skin by name
    tap $first_item_x $first_item_y          # Candy.ini
    candy_bar=$(folder_bar "$(snap chooser-candy)")
    [ "$candy_bar" != "$start_bar" ] || fail "the folder bar did not change on the way into Candy"
    xdotool mousemove --window "$desktop" $done_x $done_y click 1
    wait_until "the title of the Candy skin" title_is "VRK - Candy" ||
        echo "  after choosing Candy.ini the title is '$(program_title)'"
    settle
    ini="$PEBBLORA_ROOT/skins/Candy/Candy.ini"
    colours=$(sed -n 's/^num *= *\([0-9]*\).*/\1/p' "$ini" | tr -d '\r')
    piece=$(sed -n 's/^piece *= *"\{0,1\}\([^"]*\)"\{0,1\}.*/\1/p' "$ini" | tr -d '\r')
    python3 "$E2E_DIR/check_board.py" "$(snap candy)" "$PEBBLORA_ROOT/skins/Candy/$piece" "$colours" $view_top $view_height ||
        fail "the board does not show the Candy skin"

    # 3. File > Open... starts in Candy's folder; Escape leaves the skin.
    open_chooser
    again_bar=$(folder_bar "$(snap reopened)")
    [ "$again_bar" = "$candy_bar" ] || fail "Open... did not start in Candy's folder"
    xdotool key Escape
    wait_until "the skin chooser to close" main_in_front
    title=$(program_title)
    [ "$title" = "VRK - Candy" ] || fail "after Cancel the title is '$title'"
    stop_program || fail "Ctrl+Q did not end the program"
fi

# 4. The next start loads the remembered Candy without asking.
if start_program; then
    title=$(program_title)
    [ "$title" = "VRK - Candy" ] || fail "the next start shows '$title', not the remembered Candy"
    [ "$(folder_bar "$(snap next-start)")" != "$candy_bar" ] || fail "the next start opened the chooser"

    # 5. Find: from My Device, "Garden*" finds the Garden folder and Garden.ini.
    open_chooser
    for level in Skins Pebblora "Program Files" "My Device"; do
        before=$(current_bar)
        tap $up_x $up_y
        wait_until "Up to $level" bar_is_not "$before" || break
    done
    device_bar=$(folder_bar "$(snap my-device)")
    xdotool mousemove --window "$desktop" $hold_x $hold_y click 3
    settle
    snap find-popup >/dev/null
    xdotool mousemove --window "$desktop" $find_item_x $find_item_y click 1
    settle
    xdotool type --delay 40 'Garden*'
    snap find-question >/dev/null
    xdotool key Return
    wait_until "the Find Result location" bar_is_not "$device_bar" && settle
    snap find-results >/dev/null
    tap $first_item_x $second_item_y   # Garden.ini, found after its folder
    xdotool mousemove --window "$desktop" $done_x $done_y click 1
    wait_until "the title of the Garden skin" title_is "VRK - Garden" ||
        echo "  after choosing the found Garden.ini the title is '$(program_title)'"
    stop_program || fail "Ctrl+Q did not end the program"
fi
finish
