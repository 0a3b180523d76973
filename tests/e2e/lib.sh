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

# Starts ./run.sh with the given options on this display and waits until the
# program's window is there and has drawn. A first start makes the prefix,
# which takes a while on a small machine.
start_program() {
    starts=$((starts + 1))
    program_locale=""
    case " $* " in *" --ja "*) program_locale=ja_JP.UTF-8 ;; esac
    run_sh "$@" >"$E2E_SHOTS/run-$starts.log" 2>&1 &
    launcher=$!
    if ! desktop=$(pebblora_wait_for_desktop "$launcher" 120); then
        fail "the device desktop did not appear; ./run.sh said:"
        cat "$E2E_SHOTS/run-$starts.log"
        return 1
    fi
    for _ in $(seq 1 150); do
        program_title >/dev/null 2>&1 && break
        sleep 0.2
    done
    program_title >/dev/null 2>&1 || { fail "the program did not start"; return 1; }
    # Give the first layout and paint time to finish.
    sleep 1.5
}
starts=0
program_locale=""

# Ends the program with Ctrl+Q; true when its window is gone and ./run.sh
# has returned. Under Xvfb without a window manager the keyboard reaches the
# program only after a tap, as on a screen one has touched: the tap goes to
# the score band, which changes nothing on the board.
stop_program() {
    tap 120 $((view_top + 10))
    xdotool key ctrl+q
    local gone=1
    for _ in $(seq 1 50); do
        program_title >/dev/null 2>&1 || { gone=0; break; }
        sleep 0.2
    done
    for _ in $(seq 1 50); do
        kill -0 "$launcher" 2>/dev/null || break
        sleep 0.2
    done
    end_wine
    return $gone
}

# A start without a remembered skin opens the skin chooser over the game.
# Cancels it as a person would: a tap on its title band, then Escape. Where
# no chooser is open the tap lands on the score band, which changes nothing.
dismiss_chooser() {
    tap 60 36
    xdotool key Escape
    sleep 1.5
}

tap() {
    xdotool mousemove --window "$desktop" "$1" "$2" click 1
    sleep 0.3
}

# The caption of the program's main window, as the navigation bar shows it.
# The probe starts in the program's language: a Wine process that starts
# under another code page makes Wine rewrite the Japanese font links, and
# a program still starting would draw its dialogs without them.
program_title() {
    local title
    if [ -n "$program_locale" ]; then
        title=$(LANG=$program_locale LC_ALL=$program_locale wine "$PEBBLORA_BUILD/tests/e2e_probe.exe" Pebblora 2>/dev/null)
    else
        title=$(wine "$PEBBLORA_BUILD/tests/e2e_probe.exe" Pebblora 2>/dev/null)
    fi || return 1
    printf '%s\n' "${title%$'\r'}"
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
