# Shared steps of the end-to-end tests. The program is started exactly as a
# newcomer starts it, through ./run.sh, on a Wine prefix and device that the
# test makes from nothing (PEBBLORA_RUN_DIR), on the test run's X display.
# Sourced by the tests; each sets E2E_NAME first.
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
E2E_RUN_DIR="$PEBBLORA_BUILD/e2e-run/$E2E_NAME"
E2E_SHOTS="$PEBBLORA_BUILD/e2e-shots/$E2E_NAME"
# Every wine command of the test reaches the run's prefix, not the unit tests'.
export WINEPREFIX="$E2E_RUN_DIR/wineprefix"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Ends whatever the run's Wine server still runs.
end_wine() { [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null; return 0; }

# A run dir that does not exist: the next start makes prefix and device anew.
fresh_run_dir() {
    end_wine
    rm -rf "$E2E_RUN_DIR" "$E2E_SHOTS"
    mkdir -p "$E2E_SHOTS"
}

# ./run.sh with the test's run dir, as a person types it.
run_sh() { PEBBLORA_RUN_DIR="$E2E_RUN_DIR" "$PEBBLORA_ROOT/run.sh" "$@"; }

# Every wait of a test ends as soon as what it waits for is there, and at
# the latest at the test's deadline, a little before CTest's limit, so that
# a test that waits in vain fails saying what it waited for. A busy machine
# only makes the waits longer. A program that crashed or ended fails the
# wait at once.
E2E_DEADLINE=$((SECONDS + ${E2E_LIMIT:-600}))

# The program's launcher is gone, or Wine's debugger caught a crash in the
# run's prefix.
program_gone() {
    local pid
    [ -n "${launcher:-}" ] && ! kill -0 "$launcher" 2>/dev/null && { gone_reason="it ended"; return 0; }
    for pid in $(pgrep -f 'winedbg' 2>/dev/null); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            { gone_reason="it crashed (Wine's debugger started)"; return 0; }
    done
    return 1
}

# wait_until WHAT COMMAND...: runs COMMAND until it succeeds. Fails, naming
# WHAT, when the program is gone or the deadline passes.
wait_until() {
    local what=$1
    shift
    until "$@" >/dev/null 2>&1; do
        if program_gone; then fail "waiting for $what: the program is gone: $gone_reason"; return 1; fi
        if [ $SECONDS -ge $E2E_DEADLINE ]; then fail "waiting for $what: the test's time ran out"; return 1; fi
        sleep 0.2
    done
}

# Waits until the screen stops changing: two shots in a row agree.
settle() {
    local previous="" current
    while :; do
        current=$(import -window "$desktop" rgb:- 2>/dev/null | md5sum)
        [ "$current" = "$previous" ] && return 0
        previous=$current
        [ $SECONDS -lt $E2E_DEADLINE ] || { fail "the screen was still changing when the test's time ran out"; return 1; }
        sleep 0.25
    done
}

# What the program shows (see tools/window_probe.cpp), asked in the
# program's language: a Wine process that starts under another code page
# makes Wine rewrite the Japanese font links, and a program still starting
# would draw its dialogs without them.
probe() {
    if [ "$program_language" = ja ]; then
        (pebblora_japanese_locale && pebblora_probe)
    else
        pebblora_probe
    fi
}
# The caption of the program's main window, as the navigation bar shows it.
program_title() { local p; p=$(probe) && sed -n 1p <<<"$p"; }
# True when the main window is in front (no dialog or sheet over it).
main_in_front() { local p; p=$(probe) && [ "$(sed -n 1p <<<"$p")" = "$(sed -n 2p <<<"$p")" ]; }
dialog_in_front() { local p; p=$(probe) && [ "$(sed -n 1p <<<"$p")" != "$(sed -n 2p <<<"$p")" ]; }
title_is() { [ "$(program_title)" = "$1" ]; }

# Starts ./run.sh with the given options on this display and waits until the
# program's window is there, the program idle and its screen drawn. A first
# start makes the prefix, which takes a while on a small machine.
start_program() {
    starts=$((starts + 1))
    program_language=en
    case " $* " in *" --ja "*) program_language=ja ;; esac
    run_sh "$@" >"$E2E_SHOTS/run-$starts.log" 2>&1 &
    launcher=$!
    if ! desktop=$(pebblora_wait_for_desktop "$launcher" $((E2E_DEADLINE - SECONDS))); then
        fail "the device desktop did not appear; ./run.sh said:"
        cat "$E2E_SHOTS/run-$starts.log"
        return 1
    fi
    wait_until "the program's window" probe || { cat "$E2E_SHOTS/run-$starts.log"; return 1; }
    settle
}
starts=0
program_language=en
launcher=""

# Ends the program with Ctrl+Q; true when its window is gone and ./run.sh
# has returned. Under Xvfb without a window manager the keyboard reaches the
# program only after a tap, as on a screen one has touched: the tap goes to
# the score band, which changes nothing on the board.
stop_program() {
    tap 120 $((view_top + 10))
    xdotool key ctrl+q
    local gone=1
    while [ $SECONDS -lt $E2E_DEADLINE ]; do
        kill -0 "$launcher" 2>/dev/null || { gone=0; break; }
        sleep 0.2
    done
    end_wine
    launcher=""
    return $gone
}

# A start without a remembered skin opens the skin chooser over the game.
# Cancels it as a person would: a tap on its title band, then Escape.
dismiss_chooser() {
    xdotool mousemove --window "$desktop" 60 36 click 1
    xdotool key Escape
    wait_until "the skin chooser to close" main_in_front && settle
}

# A tap, and the screen drawn after it.
tap() {
    xdotool mousemove --window "$desktop" "$1" "$2" click 1
    settle
}

shoot() { import -window "$desktop" "$1" 2>/dev/null; }
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

# Geometry of the 240 x 320 screen: a 26-pixel navigation bar on top, the
# 26-pixel menu bar at the bottom, the view of 240 x 268 between them.
view_top=26; view_height=268
# The menu bar's first label ("File", "ﾌｧｲﾙ") with its drop-down arrow.
label_rect="0 296 72 22"
# The caption row of a sheet below the navigation bar, with its close box.
caption_rect="180 24 60 30"
# The skin chooser: its caption in the title band and its "File Name:" label.
chooser_caption_rect="2 30 60 16"
chooser_label_rect="20 58 64 16"

# The skin chooser's places on the 240 x 320 screen: the first list item
# and the row below it, the menu bar's Up and view-menu buttons, a hold on
# the list and its popup's Find... item; the game's File menu and its
# Open... item.
first_item_x=30; first_item_y=109; second_item_y=126
up_x=95; up_y=304
view_x=160; view_y=304
hold_x=120; hold_y=200
find_item_x=50; find_item_y=188
file_menu_x=22; file_menu_y=306
open_item_x=35; open_item_y=257
# The folder bar above the menu bar, which names the chooser's place.
folder_bar_rect="240x26+0+268"

folder_bar() { convert "$1" -crop "$folder_bar_rect" +repage -format "%#" info:; }
# The folder bar as it is on the screen now.
current_bar() { import -window "$desktop" png:- 2>/dev/null | folder_bar png:-; }
bar_is_not() { [ "$(current_bar)" != "$1" ]; }
# True when the window in front has the caption $1.
front_is() { local p; p=$(probe) && [ "$(sed -n 2p <<<"$p")" = "$1" ]; }

# Runs the command given (a tap, a double tap) and waits until the chooser
# shows another place.
to_another_folder() {
    local before
    before=$(current_bar)
    "$@"
    wait_until "the folder bar to leave the folder it showed" bar_is_not "$before" && settle
}

# File > Open...: the skin chooser over the game.
open_chooser() {
    tap $file_menu_x $file_menu_y
    xdotool mousemove --window "$desktop" $open_item_x $open_item_y click 1
    wait_until "the skin chooser to open" dialog_in_front && settle
}

# A screenshot of the game: the right size, pieces where the sampled cells
# are, dark score digits in the band.
check_game_screen() {
    local shot=$1 size white=0 c r x y dark
    size=$(identify -format "%wx%h" "$shot" 2>/dev/null)
    [ "$size" = "240x320" ] || { fail "$shot: screen is $size, expected 240x320"; return; }
    for c in 0 7 14; do
        for r in 0 7 14; do
            x=$((c * 16 + 8)); y=$((view_top + view_height - r * 16 - 8))
            [ "$(pixel "$shot" $x $y)" = "255,255,255" ] && white=$((white + 1))
        done
    done
    [ "$white" -eq 0 ] || fail "$shot: $white of 9 sampled cells are white: the board is not drawn"
    dark=$(convert "$shot" -crop "78x20+160+$((view_top + 2))" +repage -threshold 50% -format "%[fx:mean<0.95]" info:)
    [ "$dark" = "1" ] || fail "$shot: no score digits in the band"
}

finish() {
    end_wine
    echo "screenshots in $E2E_SHOTS"
    [ "$failures" -eq 0 ] && echo "PASS" && exit 0
    exit 1
}
