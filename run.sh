#!/usr/bin/env bash
# Builds Pebblora, installs it on the device folder build/device and starts
# it in a device-sized Wine virtual desktop.
#
#   ./run.sh [--hires] [--ja] [--skin NAME] [--shot FILE] [--wait SECONDS]
#   ./run.sh [--ja] --check-skin SKIN.ini...
#
#   --hires       the 480 x 640 screen at 192 dpi (default: 240 x 320 at 96 dpi)
#   --ja          Japanese as the system language
#   --skin NAME   start with the sample skin skins/NAME (e.g. Garden, "Night Sky",
#                 Contrast for colour-blind players);
#                 "none" forgets the remembered skin, so the skin chooser opens
#   --shot FILE   headless: run under Xvfb, save a screenshot to FILE once the
#                 program is up, idle and its screen no longer changes
#   --wait N      seconds to wait more before the screenshot (default 0)
#   --check-skin  checks the skin files named after it and prints one line per
#                 problem (see docs/skins.md); exit 0 clean, 1 warnings, 2 errors
#
# Without a display, ./run.sh says so and takes a screenshot instead.
# A start builds only what changed and imports only registry settings the
# prefix lacks. A second ./run.sh on the same run dir while the program runs
# brings it to the front and says so.
# The Wine prefix and the device folder live in $PEBBLORA_RUN_DIR (default
# build/): wineprefix/ and device/. A run dir that does not exist yet is
# made from nothing, as on a newcomer's first start.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

hires=0; japanese=0; skin=""; shot=""; wait_seconds=0; check_skin=0
while [ $# -gt 0 ]; do
    case "$1" in
        --check-skin) check_skin=1; shift; break ;;
        --hires) hires=1 ;;
        --ja) japanese=1 ;;
        --skin) skin=$2; shift ;;
        --shot) shot=$2; shift ;;
        --wait) wait_seconds=$2; shift ;;
        -h|--help) sed -n '2,/^set -euo/{/^set/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
        *) echo "run.sh: unknown option $1 (see ./run.sh --help)" >&2; exit 2 ;;
    esac
    shift
done

# The checker runs in the caller's folder, so that the paths given and the
# paths printed are the same; the build's messages go to stderr, away from
# the checker's lines.
if [ $check_skin -eq 1 ]; then
    export PEBBLORA_BUILD="${PEBBLORA_BUILD:-$root/build}"
    source "$root/tools/install-deps.sh"
    pebblora_install_deps >&2 || { echo "run.sh: installing the packages failed (see apt's messages above)" >&2; exit 2; }
    pebblora_build "$root" "$PEBBLORA_BUILD" skincheck imgdecmp >&2 ||
        { echo "run.sh: building the skin checker failed (see the compiler's messages above)" >&2; exit 2; }
    export WINEPREFIX="${PEBBLORA_RUN_DIR:-$PEBBLORA_BUILD}/wineprefix"
    source "$root/tools/wine-env.sh"
    pebblora_ensure_prefix >&2 || exit 2
    args=()
    [ $japanese -eq 1 ] && args+=(--ja)
    exec wine "$PEBBLORA_BUILD/app/skincheck.exe" "${args[@]}" "$@"
fi

if [ -n "$skin" ] && [ "$skin" != none ] && [ ! -f "$root/skins/$skin/$skin.ini" ]; then
    echo "run.sh: no sample skin \"$skin\"; there are:" $(cd "$root/skins" && ls -d */ | tr -d /) >&2
    exit 2
fi
export PEBBLORA_SKIN=$skin

export PEBBLORA_BUILD="${PEBBLORA_BUILD:-$root/build}"
# With PEBBLORA_STEP_LOG set, each step of the start appends its start time
# and name there (bench/start_bench.sh reports the time of each).
step() { [ -z "${PEBBLORA_STEP_LOG:-}" ] || echo "$EPOCHREALTIME $1" >>"$PEBBLORA_STEP_LOG"; }
# The Xvfb re-run below finds everything installed and built.
if [ "${PEBBLORA_IN_XVFB:-0}" != 1 ]; then
    source "$root/tools/install-deps.sh"
    step "checking the packages"
    pebblora_install_deps || { echo "run.sh: installing the packages failed (see apt's messages above)" >&2; exit 1; }
    step "checking the build"
    pebblora_build_when_changed "$root" "$PEBBLORA_BUILD" \
        "app/pebblora.exe app/IMGDECMP.DLL applets/pebblora.cpl tools/window_probe.exe" \
        pebblora imgdecmp settings_applet window_probe ||
        { echo "run.sh: building the program failed (see the compiler's messages above)" >&2; exit 1; }
fi

export PEBBLORA_RUN_DIR="${PEBBLORA_RUN_DIR:-$PEBBLORA_BUILD}"
export WINEPREFIX="$PEBBLORA_RUN_DIR/wineprefix"
export PEBBLORA_DEVICE="$PEBBLORA_RUN_DIR/device"
source "$root/tools/wine-env.sh"
# The launcher sets the system language for Wine (see launch-device.sh).
export PEBBLORA_LANGUAGE=en
[ $japanese -eq 1 ] && PEBBLORA_LANGUAGE=ja

if [ -z "${DISPLAY:-}" ] && [ -z "$shot" ]; then
    shot="$PEBBLORA_BUILD/shot.png"
    echo "No display here: running under Xvfb and saving a screenshot to $shot"
fi
if [ -n "$shot" ] && [ "${PEBBLORA_IN_XVFB:-0}" != 1 ]; then
    args=()
    [ $hires -eq 1 ] && args+=(--hires)
    [ $japanese -eq 1 ] && args+=(--ja)
    [ -n "$skin" ] && args+=(--skin "$skin")
    PEBBLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "${args[@]}" \
        --shot "$(readlink -f "$(dirname "$shot")")/$(basename "$shot")" --wait "$wait_seconds"
fi

# One launcher per run dir at a time: it holds the lock until the program
# ends (flock -o keeps the lock out of Wine's processes, whose server
# outlives the program by a few seconds). A second start on the same run dir
# touches neither prefix nor device and brings the running copy to the front.
if ! { mkdir -p "$PEBBLORA_RUN_DIR" && : >>"$PEBBLORA_RUN_DIR/pebblora-run.lock"; } 2>/dev/null; then
    echo "run.sh: preparing the Wine prefix failed: cannot create the run dir $PEBBLORA_RUN_DIR or write in it (a read-only or full file system?)" >&2
    exit 1
fi
status=0
flock -n -o -E 75 "$PEBBLORA_RUN_DIR/pebblora-run.lock" \
    "$root/tools/launch-device.sh" "$hires" "$shot" "$wait_seconds" || status=$?
[ $status -eq 75 ] || exit $status
PEBBLORA_LAUNCH=front exec "$root/tools/launch-device.sh" "$hires" "$shot" "$wait_seconds"
