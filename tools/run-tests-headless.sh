#!/usr/bin/env bash
# The part of ./test.sh that runs inside Xvfb: one Wine server kept alive
# between test processes, CTest over every test, then the server is let go.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
pebblora_ensure_prefix
pebblora_default_desktop 1024x768
# Every test is a process of its own. Keeping the server and one idle Wine
# process alive for the whole run spares each test the start of Wine's
# services (seconds instead of a tenth of one).
wineserver -p5
# Wine's services start with the first process; let them finish before the
# first test (or the listing of its cases) competes with them.
wine cmd.exe /c exit >/dev/null 2>&1
wine cmd.exe /c "ping -n 3600 127.0.0.1 >nul" >/dev/null 2>&1 &
keeper=$!
cd "$PEBBLORA_BUILD"
ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
status=$?
kill $keeper 2>/dev/null
wineserver -k
wineserver -w
exit $status
