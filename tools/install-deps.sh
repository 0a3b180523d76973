# Installs the Debian packages the build, the tests and the launcher need,
# but only those that are missing. Sourced by run.sh and test.sh.

PEBBLORA_PACKAGES=(
    cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools googletest
    wine wine64 fonts-wine xvfb xauth fonts-ipafont-gothic xdotool imagemagick python3 locales
)

pebblora_install_deps() {
    local missing=()
    local p
    for p in "${PEBBLORA_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get install -y --no-install-recommends "${missing[@]}" </dev/null ||
        { $sudo apt-get update </dev/null && $sudo apt-get install -y --no-install-recommends "${missing[@]}" </dev/null; }
}

# Configures (once) and builds the tree under build/: the targets named
# after the two folders, or everything.
pebblora_build() {
    local root=$1 build=$2
    shift 2
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null || return 1
    fi
    if [ $# -gt 0 ]; then
        # A named target that a newer checkout added is unknown to the
        # makefiles of an older configuration until CMake has looked again:
        # the check does only that, and only when a CMake file changed.
        cmake --build "$build" --target cmake_check_build_system >/dev/null 2>&1 ||
            cmake -S "$root" -B "$build" >/dev/null || return 1
        cmake --build "$build" -j "$(nproc)" --target "$@"
    else
        cmake --build "$build" -j "$(nproc)"
    fi
}
