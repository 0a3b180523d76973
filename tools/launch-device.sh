#!/usr/bin/env bash
# Prepares the prefix and the device, installs the program and starts it in
# a device-sized virtual desktop. Called by run.sh with the environment set:
#   launch-device.sh HIRES(0|1) SHOT_FILE_OR_EMPTY WAIT_SECONDS
# PEBBLORA_SKIN, when set, names the sample skin to start with ("none":
# forget the remembered one).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
hires=$1; shot=$2; wait_seconds=$3

pebblora_ensure_prefix
if [[ "${LANG:-}" == ja_* ]]; then pebblora_japanese_fonts on; else pebblora_japanese_fonts off; fi
pebblora_ensure_device "$PEBBLORA_DEVICE"
# The storage card of the default profile below is this root folder.
mkdir -p "$PEBBLORA_DEVICE/Storage Card"
install_dir="$PEBBLORA_DEVICE/Program Files/Pebblora"
cp "$PEBBLORA_BUILD/app/pebblora.exe" "$install_dir/"
cp "$PEBBLORA_BUILD/app/IMGDECMP.DLL" "$install_dir/"
# The sample skins, refreshed on every start, as \My Documents\Skins\<name>\.
skins_dir="$PEBBLORA_DEVICE/My Documents/Skins"
mkdir -p "$skins_dir"
cp -r "$PEBBLORA_ROOT/skins/." "$skins_dir/"

# The remembered skin: the device path of the sample's INI file, or empty.
if [ -n "${PEBBLORA_SKIN:-}" ]; then
    skin_path=""
    [ "$PEBBLORA_SKIN" != none ] && skin_path="\\My Documents\\Skins\\$PEBBLORA_SKIN\\$PEBBLORA_SKIN.ini"
    wine reg add 'HKCU\Software\Marrowvale\Pebblora' /v skin /t REG_SZ /d "$skin_path" /f >/dev/null 2>&1 ||
        echo "launch-device.sh: could not remember the skin $PEBBLORA_SKIN" >&2
fi

if [ "$hires" = 1 ]; then size=480x640; dpi=192; else size=240x320; dpi=96; fi
# The screen density and a realistic device profile; see docs/device-profile.md.
reg="$WINEPREFIX/pebblora-launch.reg"
cat >"$reg" <<REG
REGEDIT4

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
REG
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1

cd "$PEBBLORA_DEVICE"
program="${PEBBLORA_DRIVE^^}:\\Program Files\\Pebblora\\pebblora.exe"
if [ -z "$shot" ]; then
    exec wine explorer "/desktop=Pebblora,$size" "$program"
fi
wine explorer "/desktop=Pebblora,$size" "$program" &
sleep "$wait_seconds"
desktop=$(xdotool search --name "^Pebblora - " 2>/dev/null | head -n 1)
import -window "${desktop:-root}" "$shot"
echo "Screenshot: $shot"
wineserver -k
