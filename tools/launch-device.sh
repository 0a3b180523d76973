#!/usr/bin/env bash
# Prepares the prefix and the device, installs the program and starts it in
# a device-sized virtual desktop. Called by run.sh with the environment set
# (WINEPREFIX, PEBBLORA_BUILD, PEBBLORA_DEVICE):
#   launch-device.sh HIRES(0|1) SHOT_FILE_OR_EMPTY WAIT_SECONDS
# PEBBLORA_SKIN, when set, names the sample skin to start with ("none":
# forget the remembered one).
#
# Every step checks its own outcome: a failure names the step and the reason
# on stderr and ends the launcher with a non-zero code. Nothing ends it
# silently.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
hires=$1; shot=$2; wait_seconds=$3

# Marks the start of a step in PEBBLORA_STEP_LOG, when set (see run.sh).
step() { [ -z "${PEBBLORA_STEP_LOG:-}" ] || echo "$EPOCHREALTIME $1" >>"$PEBBLORA_STEP_LOG"; }

# Ends the launcher: "run.sh: <step> failed: <reason>".
fail() {
    echo "run.sh: $1 failed: $2" >&2
    exit 1
}

if [ "$hires" = 1 ]; then size=480x640; dpi=192; else size=240x320; dpi=96; fi
program="${PEBBLORA_DRIVE^^}:\\Program Files\\Pebblora\\pebblora.exe"
# The language and screen of the copy this launcher starts, for a second
# start on the same run dir; absent while the launcher prepares.
running="$(dirname "$WINEPREFIX")/pebblora-running"

# Another launcher holds the run dir (run.sh's lock): its program is asked,
# by starting it once more on its desktop, to come to the front, as a second
# copy of the program does. That second process starts in the language of
# the running one, so that Wine keeps the font links as they are.
if [ "${PEBBLORA_LAUNCH:-}" = front ]; then
    read -r running_language running_size 2>/dev/null <"$running" ||
        fail "starting the program" "another ./run.sh is preparing $(dirname "$WINEPREFIX") right now; start again once its window shows"
    if [ "$running_language" = ja ]; then
        pebblora_japanese_locale || fail "bringing the running copy to the front" "see the line above"
    fi
    cd "$PEBBLORA_DEVICE" && wine explorer "/desktop=Pebblora,$running_size" "$program" >/dev/null 2>&1 </dev/null ||
        fail "bringing the running copy to the front" "wine explorer /desktop=Pebblora,$running_size ended with exit $?"
    echo "Pebblora already runs from $(dirname "$WINEPREFIX"): brought it to the front."
    [ "$running_language $running_size" = "${PEBBLORA_LANGUAGE:-en} $size" ] ||
        echo "It keeps its language and screen ($running_language, $running_size); end it (Ctrl+Q) to start with other options."
    [ -z "$shot" ] || echo "No screenshot taken: the screen is that of the running copy."
    exit 0
fi
rm -f "$running"

if [ "${PEBBLORA_LANGUAGE:-en}" = ja ]; then
    step "preparing the Japanese system language"
    pebblora_japanese_locale || fail "preparing the Japanese system language" "see the line above"
fi

step "preparing the Wine prefix"
pebblora_ensure_prefix || fail "preparing the Wine prefix" "see the lines above"

step "installing the program"
pebblora_ensure_device "$PEBBLORA_DEVICE" && mkdir -p "$PEBBLORA_DEVICE/Storage Card" ||
    fail "laying out the device" "cannot create the folders of $PEBBLORA_DEVICE"
install_dir="$PEBBLORA_DEVICE/Program Files/Pebblora"
for file in pebblora.exe IMGDECMP.DLL; do
    [ -f "$PEBBLORA_BUILD/app/$file" ] || fail "installing the program" "$PEBBLORA_BUILD/app/$file was not built"
    cp "$PEBBLORA_BUILD/app/$file" "$install_dir/" || fail "installing the program" "cannot copy $file to $install_dir"
done
# Pebblora Settings, the control-panel module that Control Panel lists.
applet="$PEBBLORA_BUILD/applets/pebblora.cpl"
[ -f "$applet" ] || fail "installing the control-panel module" "$applet was not built"
cp "$applet" "$PEBBLORA_DEVICE/Windows/" ||
    fail "installing the control-panel module" "cannot copy pebblora.cpl to $PEBBLORA_DEVICE/Windows"
# The sample skins, refreshed on every start, as
# \Program Files\Pebblora\Skins\<name>\: the skin chooser of a first start
# opens in the program's folder, where they are one tap away. A
# \My Documents\Skins of an earlier version is left alone: it may hold the
# player's own skins.
skins_dir="$PEBBLORA_DEVICE/Program Files/Pebblora/Skins"
mkdir -p "$skins_dir" && cp -r "$PEBBLORA_ROOT/skins/." "$skins_dir/" ||
    fail "installing the sample skins" "cannot copy skins/ to $skins_dir"

step "preparing the device settings"
# The remembered skin (a device path, or empty), the screen density and a
# realistic device profile (docs/device-profile.md), in one import.
skin_lines=""
if [ -n "${PEBBLORA_SKIN:-}" ]; then
    skin_path=""
    [ "$PEBBLORA_SKIN" != none ] && skin_path="\\\\Program Files\\\\Pebblora\\\\Skins\\\\$PEBBLORA_SKIN\\\\$PEBBLORA_SKIN.ini"
    skin_lines=$(printf '[HKEY_CURRENT_USER\\Software\\Marrowvale\\Pebblora]\n"skin"="%s"\n' "$skin_path")
fi
# The object store's databases: label, name, type, size in bytes. The last
# one's name begins with a backslash, so the file dialog leaves it out.
database_lines=""
while IFS='|' read -r db_label db_name db_type db_size; do
    database_lines+=$(printf '\n[HKEY_CURRENT_USER\\Software\\Pebblora Device\\Databases\\%s]\n"Name"="%s"\n"Type"=dword:%08x\n"Size"=dword:%08x\n' \
        "$db_label" "$db_name" "$db_type" "$db_size")
done <<'DATABASES'
1|Contacts Database|25|71680
2|Appointments Database|26|29696
3|Tasks Database|27|7168
4|\\Notification Queue|0|1024
DATABASES
reg="$WINEPREFIX/pebblora-launch.reg"
cat >"$reg" <<REG || fail "writing the device settings" "cannot write $reg"
REGEDIT4

$skin_lines

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf '%08x' $dpi)

[HKEY_CURRENT_USER\\Software\\Pebblora Device]
"SipShown"=dword:00000000
"SipHeight"=dword:00000050
"StoreSize"=dword:02000000
"StoreFree"=dword:01333333
"ACLineStatus"=dword:00000000
"MainBatteryPercent"=dword:0000004c
"MainBatteryFlag"=dword:00000001
"BackupBatteryPercent"=dword:00000064
"BackupBatteryFlag"=dword:00000001

[-HKEY_CURRENT_USER\\Software\\Pebblora Device\\Cards]

[HKEY_CURRENT_USER\\Software\\Pebblora Device\\Cards\\Storage Card]
"TotalBytes"=hex(b):00,00,00,08,00,00,00,00
"FreeBytes"=hex(b):00,00,74,05,00,00,00,00

[-HKEY_CURRENT_USER\\Software\\Pebblora Device\\Databases]
$database_lines
REG
links="$WINEPREFIX/pebblora-fontlinks.reg"
pebblora_font_links "${PEBBLORA_LANGUAGE:-en}" "$links" "$dpi" ||
    fail "linking the Japanese font" "cannot write $links"

# A start imports only the files whose settings the registry lacks: none
# when the options are those of the last start and nothing changed since;
# the font links alone when only the language changed. The checker reads the
# prefix's saved registry, which is the registry only while no Wine server
# runs for it: otherwise it says so, and both files are imported, as on any
# doubt. The links count as held only while Wine's noted code pages and
# density are the run's (FILE.expect), so that skipping them never leaves a
# rewrite of the links pending.
step "checking the registry"
check="$WINEPREFIX/pebblora-registry.check"
# The system's interpreter (the package python3) starts in a fraction of
# the time a version manager's stand-in takes.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
import_settings=1; import_links=1
if [ -f "$links.expect" ]; then
    said=$("$python" -I -S "$PEBBLORA_ROOT/tools/registry_holds.py" "$WINEPREFIX" "$reg" -- "$links" "$links.expect" 2>&1)
    case $? in
        0) import_settings=0; import_links=0 ;;
        # Not all held: a group the checker did not name is held.
        1) if [[ $said == *"$reg: "* || $said == *"$links: "* ]]; then
               [[ $said == *"$reg: "* ]] || import_settings=0
               [[ $said == *"$links: "* ]] || import_links=0
           fi ;;
    esac
    # What it found, for a person wondering why a start imported.
    printf '%s\n' "$said" >"$check" 2>/dev/null
fi
if [ $import_settings = 1 ]; then
    step "writing the device settings"
    pebblora_import_reg "$reg" ||
        fail "writing the device settings" "wine regedit could not import $reg"
fi
# Last of the registry steps, right before the program, in a process of its
# own that starts with any density just written.
if [ $import_links = 1 ]; then
    step "linking the Japanese font"
    pebblora_import_reg "$links" || fail "linking the Japanese font" "wine regedit could not import the font links"
fi

step "starting the program"
cd "$PEBBLORA_DEVICE" || fail "starting the program" "cannot enter $PEBBLORA_DEVICE"
echo "${PEBBLORA_LANGUAGE:-en} $size" >"$running" || fail "starting the program" "cannot write $running"
if [ -z "$shot" ]; then
    exec wine explorer "/desktop=Pebblora,$size" "$program"
fi

# Headless: wait for the desktop, then for the program to be up and idle
# (its first dialog, if any, open), and take the picture once two shots in
# a row agree. Each wait ends as soon as what it waits for is there; the
# limit only bounds a start that went wrong.
wine explorer "/desktop=Pebblora,$size" "$program" >/dev/null 2>&1 &
launcher=$!
limit=${PEBBLORA_START_LIMIT:-300}
if ! desktop=$(pebblora_wait_for_desktop "$launcher" "$limit"); then
    wineserver -k
    fail "starting the program" "the device desktop did not appear within $limit s"
fi
if ! pebblora_wait_for_program "$launcher" "$limit" >/dev/null; then
    wineserver -k
    fail "starting the program" "its window did not appear, or it did not become idle, within $limit s"
fi
sleep "$wait_seconds"
previous=""
for _ in $(seq 1 $((limit * 4))); do
    import -window "$desktop" "$shot" 2>/dev/null || { wineserver -k; fail "taking the screenshot" "import could not read the desktop"; }
    current=$(md5sum <"$shot")
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.25
done
echo "Screenshot: $shot"
wineserver -k
