#!/usr/bin/env bash
# End-to-end: what a start decides to leave out must never show. A prefix
# that a cut-short first start left half-made is made again; warm starts that
# import nothing show the language of the start before, and a switch between
# English and Japanese (twice each way) shows the new one, with the font
# links of its language in place; a second ./run.sh while the program runs
# brings it to the front and changes nothing of it.
set -uo pipefail
E2E_NAME=starts
source "$(dirname "$0")/lib.sh"
fresh_run_dir

# Shoots the screen as NAME.png, checks it shows the game with its menu
# label in glyphs, and sets label_hash to the label's pixels: a fingerprint
# of the language on screen.
shoot_label() {
    local crop
    crop=$(echo $label_rect | awk '{print $3 "x" $4 "+" $1 "+" $2}')
    shoot "$E2E_SHOTS/$1.png"
    check_game_screen "$E2E_SHOTS/$1.png"
    python3 "$E2E_DIR/check_text.py" glyphs "$E2E_SHOTS/$1.png" $label_rect 3 ||
        fail "$1: the menu-bar label is not drawn with glyphs"
    label_hash=$(convert "$E2E_SHOTS/$1.png" -crop "$crop" +repage -format "%#" info:)
}

# The IPA Gothic link behind Tahoma as the running program's Wine sees it,
# asked in the program's language (see probe in lib.sh); empty when absent.
tahoma_link() {
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    if [ "$program_language" = ja ]; then
        (pebblora_japanese_locale && wine reg query "$key" /v Tahoma 2>/dev/null)
    else
        wine reg query "$key" /v Tahoma 2>/dev/null
    fi | grep -o 'ipag\.ttf,IPAGothic'
}

# What a first start cut short during wineboot leaves: a prefix folder with
# a registry begun and never finished.
mkdir -p "$WINEPREFIX/drive_c/windows"
printf 'WINE REGISTRY Version 2\n' >"$WINEPREFIX/system.reg"
if start_program --skin Garden; then
    grep -q "half-made" "$E2E_SHOTS/run-$starts.log" ||
        fail "the half-made prefix was used as it was; ./run.sh said: $(cat "$E2E_SHOTS/run-$starts.log")"
    [ -f "$WINEPREFIX/pebblora-prefix.done" ] || fail "the prefix made again is not marked as made"
    stop_program || fail "first start: Ctrl+Q did not end the program"
fi

# Each start with the options of the one before imports nothing; each label
# must still be that of its own language.
declare -A seen
for run in en-1 en-2 ja-1 ja-2 en-3; do
    options=(--skin Garden)
    [[ $run == ja-* ]] && options+=(--ja)
    start_program "${options[@]}" || continue
    shoot_label "$run"
    seen[$run]=$label_hash
    link=$(tahoma_link)
    if [[ $run == ja-* ]]; then
        [ -n "$link" ] || fail "$run: Tahoma has no link to IPA Gothic while the Japanese program runs"
    else
        [ -z "$link" ] || fail "$run: Tahoma keeps the link to IPA Gothic in an English run"
    fi
    stop_program || fail "$run: Ctrl+Q did not end the program"
done
[ "${seen[en-1]:-}" = "${seen[en-2]:-x}" ] || fail "the warm English start shows another label than the first"
[ "${seen[ja-1]:-}" != "${seen[en-2]:-}" ] || fail "--ja after English shows the English label"
[ "${seen[ja-2]:-}" = "${seen[ja-1]:-x}" ] || fail "the second --ja start shows another label than the first"
[ "${seen[en-3]:-}" = "${seen[en-1]:-x}" ] || fail "English after --ja does not show the English label"

# A second ./run.sh on the same run dir, in the other language: it returns
# at once, saying so, and the running copy keeps its language and its front.
if start_program --skin Garden; then
    shoot_label running
    before=$label_hash
    if ! second=$(timeout 120 env PEBBLORA_RUN_DIR="$E2E_RUN_DIR" "$PEBBLORA_ROOT/run.sh" --ja 2>&1); then
        fail "the second ./run.sh failed or did not return; it said: $second"
    fi
    grep -q "brought it to the front" <<<"$second" || fail "the second ./run.sh did not say what it did: $second"
    program_gone && fail "the running copy is gone after the second start: $gone_reason"
    wait_until "the running copy in front" main_in_front && settle
    shoot_label after-second
    [ "$label_hash" = "$before" ] || fail "the running copy changed its language after the second start"
    stop_program || fail "Ctrl+Q did not end the program after the second start"
fi
finish
