#!/usr/bin/env bash
# End-to-end: a newcomer's first starts. From a run dir that does not exist,
# ./run.sh --shot in English, then twice in a row in Japanese: each shows the
# skin chooser that a first start opens, its labels drawn with glyphs (not the
# missing-glyph box); then, with the chooser cancelled, the game with its menu
# labels in glyphs, and the About sheet's close box drawn as a cross in both
# languages.
set -uo pipefail
E2E_NAME=newcomer
source "$(dirname "$0")/lib.sh"
fresh_run_dir

# A launcher that cannot make its prefix says which step failed and exits
# non-zero (a file stands where the run dir's folder must go).
blocked="$E2E_SHOTS/not-a-folder"
touch "$blocked"
PEBBLORA_RUN_DIR="$blocked/run" "$PEBBLORA_ROOT/run.sh" --shot "$E2E_SHOTS/never.png" >"$E2E_SHOTS/blocked.log" 2>&1
status=$?
[ "$status" -ne 0 ] || fail "./run.sh reported success although its prefix could not be made"
grep -q "run.sh: preparing the Wine prefix failed" "$E2E_SHOTS/blocked.log" ||
    { fail "./run.sh did not name the failing step; it said:"; cat "$E2E_SHOTS/blocked.log"; }

# A first start opens the skin chooser: its caption and labels in glyphs.
for run in en ja-1 ja-2; do
    options=()
    [ "$run" != en ] && options=(--ja)
    shot="$E2E_SHOTS/$run.png"
    if ! run_sh "${options[@]}" --shot "$shot" >"$E2E_SHOTS/$run.log" 2>&1; then
        fail "./run.sh ${options[*]} --shot ended with an error:"
        cat "$E2E_SHOTS/$run.log"
        continue
    fi
    size=$(identify -format "%wx%h" "$shot" 2>/dev/null)
    [ "$size" = "240x320" ] || fail "$shot: screen is $size, expected 240x320"
    python3 "$E2E_DIR/check_text.py" glyphs "$shot" $chooser_caption_rect 2 || fail "$run: the chooser's caption is not drawn with glyphs"
    python3 "$E2E_DIR/check_text.py" glyphs "$shot" $chooser_label_rect 3 || fail "$run: the file-name label is not drawn with glyphs"
done
# The Japanese label is not the English one.
if [ -f "$E2E_SHOTS/en.png" ] && [ -f "$E2E_SHOTS/ja-2.png" ]; then
    crop=$(echo $chooser_label_rect | awk '{print $3 "x" $4 "+" $1 "+" $2}')
    en=$(convert "$E2E_SHOTS/en.png" -crop "$crop" +repage -format "%#" info:)
    ja=$(convert "$E2E_SHOTS/ja-2.png" -crop "$crop" +repage -format "%#" info:)
    [ "$en" != "$ja" ] || fail "the Japanese start shows the English label"
fi

# The About sheet (F1) in both languages: a caption with a close box.
for language in en ja; do
    options=()
    [ "$language" = ja ] && options=(--ja)
    start_program "${options[@]}" || continue
    # Cancel on the chooser leaves the built-in board, its menu bar in glyphs.
    dismiss_chooser
    shoot "$E2E_SHOTS/game-$language.png"
    check_game_screen "$E2E_SHOTS/game-$language.png"
    python3 "$E2E_DIR/check_text.py" glyphs "$E2E_SHOTS/game-$language.png" $label_rect 3 ||
        fail "$language: the menu-bar label is not drawn with glyphs"
    tap 120 $((view_top + 10))
    xdotool key F1
    wait_until "$language: the About sheet" dialog_in_front && settle
    shoot "$E2E_SHOTS/about-$language.png"
    python3 "$E2E_DIR/check_text.py" cross "$E2E_SHOTS/about-$language.png" $caption_rect ||
        fail "$language: the About sheet's close box is not a cross"
    # The sheet closes with its Cancel; then Ctrl+Q ends the program.
    xdotool key Escape
    wait_until "$language: the About sheet to close" main_in_front
    stop_program || fail "$language: Ctrl+Q did not end the program"
done
finish
