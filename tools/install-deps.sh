# Installs the Debian packages the build, the tests and the launcher need,
# but only those that are missing. Sourced by run.sh and test.sh.

PEBBLORA_PACKAGES=(
    cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools googletest
    wine wine64 fonts-wine xvfb xauth fonts-ipafont-gothic xdotool imagemagick python3 locales
)

pebblora_install_deps() {
    local missing=() installed p
    # One query for all: a package dpkg does not know is left out of its
    # answer, and so counts as missing.
    installed=" $(dpkg-query -W -f='${Package}=${Status}\n' "${PEBBLORA_PACKAGES[@]}" 2>/dev/null |
        sed -n 's/^\([^:=]*\)\(:[^=]*\)\{0,1\}=install ok installed$/\1/p' | tr '\n' ' ')"
    for p in "${PEBBLORA_PACKAGES[@]}"; do
        [[ "$installed" == *" $p "* ]] || missing+=("$p")
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

# What a build of the named targets is made from, as one line: the source
# tree's files (path, size, time to the nanosecond), the compilers and CMake
# the build uses, and the packages installed. Equal lines mean that nothing
# the build reads has changed; an input counted that is none only costs a
# build.
pebblora_build_inputs() {
    local root=$1 build=$2 tools
    shift 2
    tools=$(command -v cmake x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres)
    {
        echo "targets $*"
        stat -L -c '%n %s %.9Y' $tools /var/lib/dpkg/status 2>&1
        (cd "$root" && find . \( -path ./.git -o -path './build*' -o -path "./${build#"$root"/}" \) -prune -o \
            -printf '%P %s %T@\n' | LC_ALL=C sort)
    } | md5sum | cut -d' ' -f1
}

# The build's configuration and the built files, by size and time; fails
# when one is missing.
pebblora_build_outputs() {
    local build=$1 file
    shift
    for file in CMakeCache.txt "$@"; do
        stat -c '%n %s %.9Y' "$build/$file" 2>/dev/null || return 1
    done
}

# Builds the targets only when something they are made from changed since
# the last build that went through this function, or a built file is
# missing or was replaced: `pebblora_build_when_changed ROOT BUILD
# "OUTPUT..." TARGET...`, OUTPUT relative to BUILD. A stamp in BUILD holds
# the inputs as they were before that build began and the outputs as they
# were after it, so that a file changed while the build ran is built again.
pebblora_build_when_changed() {
    local root=$1 build=$2 outputs=$3 stamp="$2/run-build.stamp" inputs built
    shift 3
    inputs=$(pebblora_build_inputs "$root" "$build" "$@")
    if built=$(pebblora_build_outputs "$build" $outputs) &&
        [ "$(cat "$stamp" 2>/dev/null)" = "$inputs"$'\n'"$built" ]; then
        return 0
    fi
    rm -f "$stamp"
    pebblora_build "$root" "$build" "$@" || return 1
    # Without a stamp the next start builds again, which is only slower.
    built=$(pebblora_build_outputs "$build" $outputs) || return 0
    printf '%s\n%s\n' "$inputs" "$built" >"$stamp" 2>/dev/null || true
}
