# Shared set-up for everything that runs Pebblora under Wine: sourced by
# run.sh, test.sh and tools/wine-run. Never touches anything outside the
# build tree: the Wine prefix and every device folder live under build/.

PEBBLORA_ROOT=${PEBBLORA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
PEBBLORA_BUILD=${PEBBLORA_BUILD:-$PEBBLORA_ROOT/build}
# Tests and the launcher use separate prefixes, so that a test run never
# changes the registry of the device a person is playing on.
export WINEPREFIX=${WINEPREFIX:-$PEBBLORA_BUILD/wineprefix-test}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

# The drive letter under which a device folder appears inside Wine.
PEBBLORA_DRIVE=${PEBBLORA_DRIVE:-t}

# Creates the Wine prefix once (wineboot takes a few seconds).
pebblora_ensure_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
}

# Lays out a device folder ($1) with the folders every device has and maps it
# to the device drive, so that a process started inside it sees "\" as its root.
pebblora_ensure_device() {
    local device=$1
    mkdir -p "$device/Program Files/Pebblora" "$device/My Documents" \
             "$device/Windows/Desktop" "$device/Recycled"
    mkdir -p "$WINEPREFIX/dosdevices"
    local link="$WINEPREFIX/dosdevices/$PEBBLORA_DRIVE:"
    if [ "$(readlink "$link" 2>/dev/null)" != "$device" ]; then
        ln -sfn "$device" "$link"
    fi
}

# Makes every window of the prefix live inside one Wine virtual desktop of
# the given size (e.g. 1024x768): windows are then Wine's own, not X
# windows, so activation and focus do not wait on an X window manager.
pebblora_default_desktop() {
    local size=$1
    local file="$WINEPREFIX/pebblora-desktop.reg"
    if [ "$(cat "$file.size" 2>/dev/null)" != "$size" ]; then
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="%s"\n' "$size" >"$file"
        wine regedit /S "$(winepath -w "$file")" >/dev/null 2>&1
        echo "$size" >"$file.size"
    fi
}

# Japanese text in the interface fonts: `pebblora_japanese_fonts on|off`.
# The prefix's interface fonts have no kana or kanji, and the font Wine
# picks for a Shift-JIS font without a face has no Latin letters or digits.
# For a Japanese run the free IPA Gothic is linked behind them; an English
# run takes the links out again, since a linked face that the prefix lacks
# would otherwise be drawn entirely in IPA Gothic.
pebblora_japanese_fonts() {
    local state=$1
    local marker="$WINEPREFIX/pebblora-fontlink.state"
    [ "$(cat "$marker" 2>/dev/null)" = "$state" ] && return 0
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    local face
    for face in Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI" \
                "Droid Sans Fallback"; do
        if [ "$state" = on ]; then
            wine reg add "$key" /v "$face" /t REG_MULTI_SZ /d "ipag.ttf,IPAGothic" /f >/dev/null 2>&1
        else
            wine reg delete "$key" /v "$face" /f >/dev/null 2>&1
        fi
    done
    echo "$state" >"$marker"
}
