#!/usr/bin/env bash
# The part of ./test.sh that runs inside Xvfb: one Wine server kept alive
# between test processes, CTest over every test, then the server is let go.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
pebblora_name_failures

# A setup step that fails ends the run here, named: the tests that would
# follow could only fail for its reason, each in a way of its own.
setup_failed() {
    echo "run-tests-headless: $1 failed; no test was run" >&2
    exit 1
}
pebblora_ensure_prefix || setup_failed "preparing the Wine prefix"
# The Japanese cases find the locale in the build tree (LOCPATH); the
# subshell keeps the rest of the run in the machine's own language.
(pebblora_japanese_locale) || setup_failed "compiling the Japanese locale"
pebblora_default_desktop 1024x768 || setup_failed "setting the virtual desktop"
# The session that made the prefix or imported the settings above started
# its desktop before the desktop setting was there: every window of it, and
# of every program run while it lasts, would be an X top-level window. Let
# it end, so that the run's own session starts with the settings in place.
wineserver -w || setup_failed "ending the Wine session of the setup"
# Every test is a process of its own. Keeping the server and one idle Wine
# process alive for the whole run spares each test the start of Wine's
# services (seconds instead of a tenth of one).
wineserver -p5 || setup_failed "starting the persistent Wine server"
# Wine's services start with the first process; let them finish before the
# first test (or the listing of its cases) competes with them.
wine cmd.exe /c exit >/dev/null 2>&1 || setup_failed "starting Wine's services"
wine cmd.exe /c "ping -n 3600 127.0.0.1 >nul" >/dev/null 2>&1 &
keeper=$!
cd "$PEBBLORA_BUILD" || setup_failed "entering $PEBBLORA_BUILD"
status=0
ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@" || status=$?
kill $keeper 2>/dev/null || true
wineserver -k 2>/dev/null || true
wineserver -w || true
exit $status
