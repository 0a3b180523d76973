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

# Creates the Wine prefix once (wineboot takes a few seconds) and gives it
# Wine's own interface fonts. Returns non-zero, with the reason on stderr,
# when the prefix cannot be made.
#
# A prefix counts as made once pebblora-prefix.done is in it, written after
# every step of its making succeeded. A prefix without it is what a making
# cut short (Ctrl+C, a full disk) left behind: it is removed and made again,
# never used half-made. A prefix of an earlier launcher, which noted only
# the last step (pebblora-x11.reg.done), counts as made.
pebblora_ensure_prefix() {
    local done="$WINEPREFIX/pebblora-prefix.done"
    # A made prefix still gets fonts that went missing, and X11 settings of
    # a newer set; both checks are a file test when nothing is to do.
    [ -f "$done" ] && { pebblora_wine_fonts && pebblora_x11_settings; return; }
    if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/pebblora-x11.reg.done" ]; then
        pebblora_wine_fonts && pebblora_x11_settings && touch "$done" && return 0
    fi
    if [ -e "$WINEPREFIX" ]; then
        # Only what looks like a prefix is removed: never a folder that a
        # mistyped run dir points at.
        if [ -n "$(ls -A "$WINEPREFIX" 2>/dev/null)" ] && [ ! -e "$WINEPREFIX/dosdevices" ] &&
            [ ! -e "$WINEPREFIX/drive_c" ] && [ ! -e "$WINEPREFIX/system.reg" ]; then
            echo "$WINEPREFIX is not a Wine prefix, and not empty: move it away, and the next start makes a prefix there" >&2
            return 1
        fi
        echo "The Wine prefix $WINEPREFIX was left half-made by a start that was cut short: making it again" >&2
        wineserver -k 2>/dev/null
        rm -rf "$WINEPREFIX" || { echo "could not remove the half-made prefix $WINEPREFIX" >&2; return 1; }
    fi
    mkdir -p "$WINEPREFIX" || return 1
    local log="$WINEPREFIX.wineboot.log"
    wineboot -i >"$log" 2>&1
    # The services wineboot started finish filling the prefix in after it
    # returns; the prefix is complete once its session is over.
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "could not create the Wine prefix $WINEPREFIX (wineboot -i); its output:" >&2
        tail -n 20 "$log" >&2
        return 1
    fi
    pebblora_wine_fonts && pebblora_x11_settings || return 1
    touch "$done" || { echo "could not write $done" >&2; return 1; }
}

# Imports the REGEDIT4 file $1 into the prefix. A Wine process now and then
# fails to start for reasons of its own (seen once in many runs: the font
# links of a Japanese start right after the prefix was made), so a failed
# import is tried again, up to three times in all, saying so; when all fail,
# what the last attempt printed goes to stderr. The path is given as the
# prefix's Z: drive sees it, which spares starting Wine once more to ask.
# Its output goes to a file, not a pipe: a regedit that starts the Wine
# server hands the pipe on to the server and its services, and reading the
# pipe to its end would wait until that session is over.
pebblora_import_reg() {
    local file=$1 log="$1.log" status attempt
    for attempt in 1 2 3; do
        wine regedit /S "Z:${file//\//\\}" >"$log" 2>&1 </dev/null && return 0
        status=$?
        echo "wine regedit $file failed (exit $status, attempt $attempt of 3)$( [ -s "$log" ] && printf ': %s' "$(cat "$log")")" >&2
        sleep 1
    done
    return 1
}

# Settings of Wine's X11 driver, imported once per prefix (the marker names
# the set; a new set is imported into existing prefixes as well).
#
# Own cursors: the driver loads the standard cursors (arrow, hourglass ...)
# from the X cursor theme by name. The first such load in a process waits
# for the X server on the connection that all threads of the process share
# for drawing. If another thread is at that moment inside one of the
# driver's error traps (it holds that connection's lock while it waits for
# the server, as when a window is first shown) and the reply brings one of
# the routine errors the driver ignores, libX11 makes each thread wait for
# the other: two threads that open windows at once hang for good. Cursors
# built from Wine's own images need no reply, so the prefix uses those.
#
# Unmanaged windows: a window that does end up as an X top-level window
# (outside the virtual desktop) would otherwise make Wine wait up to two
# seconds at every show and hide for a window manager, which Xvfb lacks.
PEBBLORA_X11_SETTINGS=own-cursors,unmanaged
pebblora_x11_settings() {
    local file="$WINEPREFIX/pebblora-x11.reg"
    [ "$(cat "$file.done" 2>/dev/null)" = "$PEBBLORA_X11_SETTINGS" ] && return 0
    if ! printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"UseSystemCursors"="N"\n"Managed"="N"\n' >"$file" ||
        ! pebblora_import_reg "$file"; then
        echo "could not import the settings of Wine's X11 driver (wine regedit $file)" >&2
        return 1
    fi
    echo "$PEBBLORA_X11_SETTINGS" >"$file.done"
}

# Debian's Wine looks for the fonts it ships (Tahoma, Marlett ...) under
# "<data dir>\../fonts", a path whose "/" the NT path layer cannot resolve,
# so a prefix never sees the files of the fonts-wine package: captions draw
# their close box from a stand-in font (the letter "r" instead of Marlett's
# cross) and the interface font is whatever fontconfig offers. Wine reads
# C:\windows\Fonts of the prefix as well, so the files are linked there.
PEBBLORA_WINE_FONTS=${PEBBLORA_WINE_FONTS:-/usr/share/wine/fonts}
pebblora_wine_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    [ -e "$fonts/marlett.ttf" ] && [ -e "$fonts/tahoma.ttf" ] && return 0
    if [ ! -f "$PEBBLORA_WINE_FONTS/marlett.ttf" ]; then
        echo "Wine's fonts are missing ($PEBBLORA_WINE_FONTS/marlett.ttf): install the package fonts-wine" >&2
        return 1
    fi
    mkdir -p "$fonts" && ln -sf "$PEBBLORA_WINE_FONTS"/*.ttf "$fonts/"
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
# The setting is read when a Wine session starts its desktop: a session
# already running (the one that made the prefix or imported a setting)
# keeps X top-level windows, so the caller ends it (`wineserver -w`) before
# any program that should use the desktop starts.
pebblora_default_desktop() {
    local size=$1
    local file="$WINEPREFIX/pebblora-desktop.reg"
    [ "$(cat "$file.size" 2>/dev/null)" = "$size" ] && return 0
    if ! printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="%s"\n' "$size" >"$file" ||
        ! pebblora_import_reg "$file"; then
        echo "could not set Wine's default desktop to $size (wine regedit $file)" >&2
        return 1
    fi
    echo "$size" >"$file.size"
}

# Makes a failing command of the calling script, or of a function it calls,
# name itself on stderr (file, line, exit code, the command) instead of
# ending the script or going on silently. Commands whose failure is tested
# (if, while, &&, ||) are left out, as bash leaves them out of `set -e`.
pebblora_name_failures() {
    set -E
    trap 'pebblora_failed=$?; echo "${BASH_SOURCE[0]##*/}: line $LINENO failed (exit $pebblora_failed): $BASH_COMMAND" >&2' ERR
}

# Japanese text in the interface fonts: `pebblora_font_links ja|en FILE DPI`
# writes to FILE the REGEDIT4 text that sets the links for the language.
# Wine's interface fonts have no kana or kanji. For a Japanese run the free
# IPA Gothic is linked behind them (FontLink\SystemLink); an English run takes
# the links out, since a linked face the prefix lacks would be drawn wholly
# in IPA Gothic.
#
# Wine rewrites the links of Tahoma, Microsoft Sans Serif and Lucida Sans
# Unicode with its own defaults (faces this prefix does not have) whenever
# a process starts under another code page or screen density than the last
# one did; it notes both under Software\Wine\Fonts. So the links are
# imported by a process that itself starts under the run's language and
# density: by the time it writes them, its own start has made any rewrite
# Wine had pending, and the program that follows finds nothing changed.
#
# FILE.expect lists, for registry_holds.py, what Wine notes once the links
# were written under this language and density; when the registry holds
# both files, no rewrite is pending and the links need no import. A locale
# whose code pages are not known here has no FILE.expect: always import.
PEBBLORA_LINKED_FACES=(Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI")
pebblora_font_links() {
    local language=$1 file=$2 dpi=$3 face value codepages=""
    {
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
        for face in "${PEBBLORA_LINKED_FACES[@]}"; do
            # The multi-string "ipag.ttf,IPAGothic" (ANSI bytes in a
            # REGEDIT4 file, two terminators), or a deletion.
            if [ "$language" = ja ]; then
                value=$(printf 'ipag.ttf,IPAGothic' | od -An -tx1 -v | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g')
                printf '"%s"=hex(7):%s,00,00\n' "$face" "$value"
            else
                printf '"%s"=-\n' "$face"
            fi
        done
    } >"$file" || return 1
    if [ "$language" = ja ]; then
        codepages=932,932
    else
        # The locale Wine takes its code pages from, as the C library picks it.
        case "${LC_ALL:-${LC_CTYPE:-${LANG:-C}}}" in
            C|POSIX|C.*|en_US|en_US.*) codepages=1252,437 ;;
        esac
    fi
    rm -f "$file.expect"
    [ -n "$codepages" ] || return 0
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts]\n"Codepages"="%s"\n"LogPixels"=dword:%08x\n' \
        "$codepages" "$dpi" >"$file.expect"
}

# Japanese as the system language: `pebblora_japanese_locale` exports LANG and
# LC_ALL as ja_JP.UTF-8, from which Wine takes the language (LANG alone is
# not enough). Wine also converts every file name between UTF-16 and the
# host's bytes with that locale's codeset; on a machine without the locale
# the C library falls back to ASCII, and every name with a kana or kanji in
# it fails (New Folder's default name among them). So the locale is compiled
# once into the build tree from the C library's own sources and found there
# through LOCPATH, whatever locales the machine has. Returns non-zero, with
# the reason on stderr, when it cannot be compiled.
pebblora_japanese_locale() {
    local dir="$PEBBLORA_BUILD/locale" log
    if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
        rm -rf "$dir/ja_JP.UTF-8.part"
        mkdir -p "$dir" || return 1
        # Compiled under another name and renamed, so that a compilation cut
        # short never passes for a locale.
        if ! log=$(localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8.part" 2>&1) ||
            ! mv -T "$dir/ja_JP.UTF-8.part" "$dir/ja_JP.UTF-8"; then
            echo "could not compile the locale ja_JP.UTF-8 into $dir (localedef, from the package locales)${log:+: $log}" >&2
            return 1
        fi
    fi
    # bash itself looks for the locale before it sees LOCPATH and warns that
    # it cannot find it; only the programs it starts need it.
    { export LOCPATH="$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
}

# Prints the X window of the device desktop "Pebblora" once it is there, or
# nothing when process $1 (its launcher) ends first or $2 seconds pass.
pebblora_wait_for_desktop() {
    local launcher=$1 seconds=$2 desktop
    local end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ]; do
        desktop=$(xdotool search --name "^Pebblora - Wine desktop$" 2>/dev/null | head -n 1)
        [ -n "$desktop" ] && { echo "$desktop"; return 0; }
        kill -0 "$launcher" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# Asks the window probe what the program shows on the device desktop: prints
# the main window's caption and the caption of the window in front, once the
# program has handled its input. Fails while the program has no window (or
# has not become idle).
pebblora_probe() {
    local output
    output=$(wine "$PEBBLORA_BUILD/tools/window_probe.exe" Pebblora 2>/dev/null) || return 1
    printf '%s\n' "${output//$'\r'/}"
}

# Waits until the program's main window is there and the program idle;
# prints what the probe said. Fails when process $1 (its launcher) ends
# first, or $2 seconds pass.
pebblora_wait_for_program() {
    local launcher=$1 seconds=$2
    local end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ]; do
        pebblora_probe && return 0
        kill -0 "$launcher" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}
