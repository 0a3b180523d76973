#!/usr/bin/env bash
# Runs every benchmark of bench/ in one sitting, on one Xvfb display, and
# prints each program's output with the machine's load before and after it:
#
#   bench/run-all.sh            every benchmark
#   bench/run-all.sh refresh    only those whose name holds "refresh"
#
# The lines to read are "ratio <measure> <value>": ours divided by the
# baseline measured in the same run on the same data.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export PEBBLORA_BUILD="${PEBBLORA_BUILD:-$root/build}"
only=${1:-}
if [ "${PEBBLORA_BENCH_IN_XVFB:-0}" != 1 ]; then
    source "$root/tools/install-deps.sh"
    pebblora_install_deps >&2 || { echo "run-all: installing the packages failed" >&2; exit 1; }
    pebblora_build "$root" "$PEBBLORA_BUILD" redraw_bench match_bench typetable_bench fileop_bench \
        refresh_bench find_bench start_window pebblora imgdecmp settings_applet window_probe >&2 ||
        { echo "run-all: building the benchmarks failed" >&2; exit 1; }
    PEBBLORA_BENCH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
source "$root/tools/wine-env.sh"
pebblora_ensure_prefix >&2 || { echo "run-all: preparing the Wine prefix failed" >&2; exit 1; }

load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
echo "wine: $(wine --version 2>/dev/null)"
status=0
for bench in redraw match typetable fileop refresh find start; do
    [ -n "$only" ] && [[ $bench != *$only* ]] && continue
    if [ $bench = start ]; then
        # Host-side: ./run.sh against a bare Wine start, on a prefix of its own.
        wineserver -k 2>/dev/null
        echo "== start_bench.sh (load before: $(load))"
        "$root/bench/start_bench.sh" || { echo "run-all: start_bench.sh failed"; status=1; }
    else
        echo "== ${bench}_bench.exe (load before: $(load))"
        # Wine's own diagnostics ("0123:fixme:...") are not the benchmark's.
        "$root/tools/wine-run" "$PEBBLORA_BUILD/bench/${bench}_bench.exe" 2>&1 | grep -v '^[0-9a-f]\{4\}:' ||
            { echo "run-all: ${bench}_bench.exe failed"; status=1; }
    fi
    echo "== load after: $(load)"
done
[ -d "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
exit $status
