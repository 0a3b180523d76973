# Shared steps of the end-to-end tests: a device of their own on drive U:,
# the real program in a device-sized Wine desktop, screenshots and pixels.
# Sourced by the tests; they set DESKTOP before calling start_program.
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
export PEBBLORA_DRIVE=u
E2E_DEVICE="$PEBBLORA_BUILD/e2edevice"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fresh device with the program, the decoder and the sample skins installed.
prepare_device() {
    rm -rf "$E2E_DEVICE"
    pebblora_ensure_device "$E2E_DEVICE"
    local install="$E2E_DEVICE/Program Files/Pebblora"
    cp "$PEBBLORA_BUILD/app/pebblora.exe" "$PEBBLORA_BUILD/app/IMGDECMP.DLL" "$install/"
    cp -r "$PEBBLORA_ROOT/skins" "$E2E_DEVICE/My Documents/Skins"
}

# Sets the remembered skin (a device path, or empty).
remember_skin() {
    wine reg add 'HKCU\Software\Marrowvale\Pebblora' /v skin /t REG_SZ /d "$1" /f >/dev/null 2>&1
}

# Starts the program on desktop $DESKTOP of size $1 and waits for it to draw.
start_program() {
    (cd "$E2E_DEVICE" && exec wine explorer "/desktop=$DESKTOP,$1" "U:\\Program Files\\Pebblora\\pebblora.exe") \
        >/dev/null 2>&1 &
    launcher=$!
    desktop=""
    for _ in $(seq 1 100); do
        desktop=$(xdotool search --name "^$DESKTOP - Wine desktop$" 2>/dev/null | head -n 1)
        [ -n "$desktop" ] && break
        sleep 0.2
    done
    [ -n "$desktop" ] || { fail "the device desktop $DESKTOP did not appear"; return 1; }
    local _
    for _ in $(seq 1 100); do
        program_title >/dev/null 2>&1 && break
        sleep 0.2
    done
    program_title >/dev/null 2>&1 || { fail "the program did not start on $DESKTOP"; return 1; }
    # Give the first layout and paint time to finish.
    sleep 1.5
}

# Ends the program with Ctrl+Q; true when its window is gone. The desktop's
# launcher returns as soon as the program has started, so the window itself
# is watched. Under Xvfb without a window manager the keyboard reaches the
# program only after a tap, as on a screen one has touched: the tap goes to
# the score band, which changes nothing on the board.
stop_program() {
    xdotool mousemove --window "$desktop" 120 $((view_top + 10)) click 1
    sleep 0.3
    xdotool key ctrl+q
    for _ in $(seq 1 50); do
        program_title >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    return 1
}

# The caption of the program's main window, as the navigation bar shows it.
program_title() {
    local title
    # Plain wine, not tools/wine-run: that one would map the device drive to
    # the unit tests' device.
    title=$(wine "$PEBBLORA_BUILD/tests/e2e_probe.exe" "$DESKTOP" 2>/dev/null) || return 1
    printf '%s\n' "${title%$'\r'}"
}

shoot() { import -window "$desktop" "$1" 2>/dev/null; }
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
