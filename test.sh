#!/usr/bin/env bash
# Builds Pebblora and runs every test headless under Wine, inside one Xvfb,
# with a private Wine prefix in build/. Prints CTest's summary; exits non-zero
# on any failure. Usage: ./test.sh [extra ctest arguments, e.g. -R Board]
set -eEuo pipefail
root=$(cd "$(dirname "$0")" && pwd)
# A failing step names itself (line and text) rather than ending the run silently.
trap 'status=$?; echo "${BASH_SOURCE[0]##*/}: line $LINENO failed (exit $status): $BASH_COMMAND" >&2' ERR
source "$root/tools/install-deps.sh"
pebblora_install_deps
export PEBBLORA_BUILD="${PEBBLORA_BUILD:-$root/build}"
pebblora_build "$root" "$PEBBLORA_BUILD"
exec xvfb-run -a -s "-screen 0 1024x768x24" "$root/tools/run-tests-headless.sh" "$@"
