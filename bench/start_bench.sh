#!/usr/bin/env bash
# What a player waits for at a start: ./run.sh --skin Garden on a built tree
# until the game's window shows, against Wine starting the least program
# that shows a window (bench/start_window.cpp) in the same prefix, seen the
# same way: the window is on the X display and its centre shows neither
# Wine's desktop colour nor the black of a window not yet drawn.
#
#   bench/start_bench.sh [ROUNDS]        (default 5)
#
# Runs in an Xvfb of its own, on its own run dir (build/bench-run), made
# anew: first the first start, timed, then ROUNDS rounds of: a Wine start, a
# warm start (the options of the start before), a Wine start, a start that
# switches --ja or --hires. Every start begins with no Wine session running,
# as after a game was ended. Prints the best of each kind, the time of each
# launcher step of the best start, and
#   ratio warm_start_vs_wine_start X
#   ratio switch_start_vs_wine_start X
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
export PEBBLORA_BUILD="${PEBBLORA_BUILD:-$root/build}"

if [ "${PEBBLORA_BENCH_IN_XVFB:-0}" != 1 ]; then
    source "$root/tools/install-deps.sh"
    pebblora_install_deps || { echo "start_bench: installing the packages failed" >&2; exit 1; }
    pebblora_build "$root" "$PEBBLORA_BUILD" start_window pebblora imgdecmp settings_applet window_probe >/dev/null ||
        { echo "start_bench: building failed" >&2; exit 1; }
    PEBBLORA_BENCH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

export PEBBLORA_RUN_DIR="$PEBBLORA_BUILD/bench-run"
export WINEPREFIX="$PEBBLORA_RUN_DIR/wineprefix"
source "$root/tools/wine-env.sh"
work="$PEBBLORA_BUILD/bench-start"
rm -rf "$work" && mkdir -p "$work"

die() { echo "start_bench: $*" >&2; [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null; exit 1; }

# Ends every Wine process of the prefix and waits until its server is gone.
end_session() { wineserver -k 2>/dev/null; [ -n "${1:-}" ] && wait "$1" 2>/dev/null; wineserver -w 2>/dev/null; }

# Seconds from T0 until the X window named NAME (a regular expression) is
# there and drawn, checked every 20 ms. Fails at once, saying so, when
# process PID ends first; after LIMIT seconds otherwise.
wait_visible() {
    local name=$1 t0=$2 pid=$3 limit=${4:-120} window geometry pixel
    while :; do
        window=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1)
        if [ -n "$window" ] && geometry=$(xdotool getwindowgeometry "$window" 2>/dev/null); then
            geometry=$(sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p' <<<"$geometry")
            set -- $geometry
            pixel=$(import -window "$window" -crop "1x1+$(($1 / 2))+$(($2 / 2))" -depth 8 txt:- 2>/dev/null |
                grep -o '#[0-9A-F]\{6\}' | head -n 1)
            # Wine's desktop colour, and a window not yet drawn.
            if [ -n "$pixel" ] && [ "$pixel" != "#256F95" ] && [ "$pixel" != "#000000" ]; then
                printf '%.3f\n' "$(echo "$EPOCHREALTIME - $t0" | bc)"
                return 0
            fi
        fi
        kill -0 "$pid" 2>/dev/null || { echo "the start ended before its window showed" >&2; return 1; }
        (( $(echo "$EPOCHREALTIME - $t0 > $limit" | bc) )) && { echo "no window within $limit s" >&2; return 1; }
        sleep 0.02
    done
}

# Times `wine start_window.exe`; prints the seconds. A Wine process now and
# then fails to start on a busy machine (see tools/wine-run): a start that
# ends before its window shows is tried again, up to three times, saying so.
wine_start() {
    local t0 pid seconds attempt
    for attempt in 1 2 3; do
        t0=$EPOCHREALTIME
        wine "$PEBBLORA_BUILD/bench/start_window.exe" >/dev/null 2>&1 &
        pid=$!
        seconds=$(wait_visible '^Start window$' "$t0" "$pid") && break
        end_session "$pid"
        [ "$attempt" -lt 3 ] || die "wine start_window.exe: no window in 3 attempts"
        echo "start_bench: wine start_window.exe ended without a window (attempt $attempt of 3); again" >&2
    done
    end_session "$pid"
    echo "$seconds"
}

# Times ./run.sh --skin Garden OPTIONS; prints the seconds. Its steps go to
# the log LOG (see run.sh), the launcher's messages to LOG.out. Tried again
# as wine_start is.
game_start() {
    local log=$1 t0 pid seconds attempt
    shift
    for attempt in 1 2 3; do
        t0=$EPOCHREALTIME
        echo "$t0 starting run.sh" >"$log"
        PEBBLORA_STEP_LOG="$log" "$root/run.sh" --skin Garden "$@" >"$log.out" 2>&1 &
        pid=$!
        seconds=$(wait_visible '^Pebblora - Wine desktop$' "$t0" "$pid" 600) && break
        end_session "$pid"
        [ "$attempt" -lt 3 ] || die "./run.sh $*: no window in 3 attempts; it said: $(cat "$log.out")"
        echo "start_bench: ./run.sh $* ended without a window (attempt $attempt of 3); again. It said: $(cat "$log.out")" >&2
    done
    echo "$(echo "$t0 + $seconds" | bc) window visible" >>"$log"
    end_session "$pid"
    echo "$seconds"
}

# Prints each step of a step log with its seconds and its share of the start.
print_steps() {
    awk 'NR == 1 { t0 = $1 }
         { time[NR] = $1; $1 = ""; name[NR] = substr($0, 2) }
         END { total = time[NR] - t0
               for (i = 1; i < NR; i++)
                   printf "    %-42s %7.3f s %5.1f %%\n", name[i], time[i + 1] - time[i], 100 * (time[i + 1] - time[i]) / total }' "$1"
}

best() { sort -g | head -n 1; }

# The first start, on a run dir made from nothing, and what part of it is
# Wine's own making of a prefix (timed on a scratch prefix afterwards).
rm -rf "$PEBBLORA_RUN_DIR"
first=$(game_start "$work/first.log") || exit 1
scratch="$work/scratch-prefix"
t0=$EPOCHREALTIME
WINEPREFIX="$scratch" wineboot -i >/dev/null 2>&1 && WINEPREFIX="$scratch" wineserver -w
wineboot_seconds=$(printf '%.3f' "$(echo "$EPOCHREALTIME - $t0" | bc)")
rm -rf "$scratch"

options=""
for round in $(seq 1 "$rounds"); do
    wine_start >>"$work/wine.times" || exit 1
    game_start "$work/warm-$round.log" $options >"$work/warm-$round.time" || exit 1
    wine_start >>"$work/wine.times" || exit 1
    # Each switch changes the language or the density of the start before.
    case "$round:$options" in
        *:--ja|*:--hires) options="" ;;
        3:*) options="--hires" ;;
        *) options="--ja" ;;
    esac
    game_start "$work/switch-$round.log" $options >"$work/switch-$round.time" || exit 1
done

wine=$(best <"$work/wine.times")
warm_round=$(for f in "$work"/warm-*.time; do echo "$(cat "$f") ${f##*warm-}"; done | sort -g | head -n 1 | sed 's/.* \(.*\)\.time/\1/')
switch_round=$(for f in "$work"/switch-*.time; do echo "$(cat "$f") ${f##*switch-}"; done | sort -g | head -n 1 | sed 's/.* \(.*\)\.time/\1/')
warm=$(cat "$work/warm-$warm_round.time")
switch=$(cat "$work/switch-$switch_round.time")

echo "first start: $first s (of which Wine's own making of a prefix, timed alone: $wineboot_seconds s)"
print_steps "$work/first.log"
echo "warm start, best of $rounds: $warm s"
print_steps "$work/warm-$warm_round.log"
echo "switching start (--ja or --hires changed), best of $rounds: $switch s"
print_steps "$work/switch-$switch_round.log"
echo "wine start_window.exe, best of $((2 * rounds)): $wine s"
printf 'ratio warm_start_vs_wine_start %.2f\n' "$(echo "$warm / $wine" | bc -l)"
printf 'ratio switch_start_vs_wine_start %.2f\n' "$(echo "$switch / $wine" | bc -l)"
