# shellcheck shell=bash
# Shared by scripts/test.sh and scripts/run.sh: installs what the build and
# Wine need, builds Quorva, and makes the Wine prefix and X display the
# program runs on. Source it; it defines functions and variables only.

QUORVA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${QUORVA_BUILD_DIR:-$QUORVA_ROOT/build}
JOBS=${QUORVA_JOBS:-2}
export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEDEBUG=-all
# winemenubuilder would write desktop files and menu entries for the prefix.
export WINEDLLOVERRIDES=winemenubuilder.exe=d

PACKAGES=(cmake ninja-build g++ mingw-w64 wine wine32:i386 wine64 xvfb xauth
          xdotool x11-utils imagemagick fonts-liberation fonts-wine
          fonts-open-sans googletest)

# Bump when the prefix set-up below changes, so existing prefixes are redone.
PREFIX_VERSION=3

# Faces our forms and controls ask for; each must resolve to a real font.
REQUIRED_FACES=("MS Sans Serif" "Courier New" "Times New Roman" "Segoe UI"
                "Tahoma" "System" "Arial")

# Each line says how long the script has run, so a slow step shows.
log() { printf '%s: [%ds] %s\n' "${0##*/}" "$SECONDS" "$*" >&2; }
die() { log "$*"; exit 1; }

as_root() {
    if ((EUID == 0)); then
        "$@"
    else
        sudo "$@"
    fi
}

install_missing_packages() {
    local missing=() pkg
    for pkg in "${PACKAGES[@]}"; do
        if [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null) != "ii " ]]; then
            missing+=("$pkg")
        fi
    done
    ((${#missing[@]} == 0)) && return 0
    log "installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}

# Quorva is a 32-bit program. Some kernels cannot run 32-bit Linux
# binaries, and with them Wine's 32-bit half; there the tests run 64-bit
# Windows code from the same sources under wine64, which still exercises all
# of our own code. QUORVA_ARCH=i686 or x86_64 forces a choice. ARCH is the
# build whose tests run; OTHER_ARCH is only compiled.
SKIPPED_32BIT=
choose_arch() {
    ARCH=${QUORVA_ARCH:-}
    if [[ -z $ARCH ]]; then
        if /usr/lib/wine/wine --version >/dev/null 2>&1; then
            ARCH=i686
        else
            ARCH=x86_64
            SKIPPED_32BIT="this kernel cannot run 32-bit programs (no 32-bit emulation), so 32-bit Wine cannot start"
            log "$SKIPPED_32BIT: the tests run as 64-bit code"
        fi
    fi
    case $ARCH in
        i686)
            OTHER_ARCH=x86_64
            WINE=wine ;;
        x86_64)
            OTHER_ARCH=i686
            # /usr/bin/wine always picks the 32-bit loader when it is installed.
            WINE=/usr/lib/wine/wine64 ;;
        *) die "QUORVA_ARCH must be i686 or x86_64, not '$ARCH'" ;;
    esac
    export WINE
}

toolchain_of() {
    case $1 in
        i686) echo "$QUORVA_ROOT/cmake/mingw32-posix.cmake" ;;
        x86_64) echo "$QUORVA_ROOT/cmake/mingw64-posix.cmake" ;;
    esac
}

# Configures DIR for ARCH once, then builds it with its tests.
build_arch() {
    local dir=$1 toolchain cache=$1/CMakeCache.txt configured
    toolchain=$(toolchain_of "$2")
    [[ -f $toolchain ]] || die "missing toolchain file $toolchain"
    if [[ -f $cache ]]; then
        configured=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$cache")
        [[ $configured == "$toolchain" ]] ||
            die "$dir was configured with ${configured:-no toolchain}, not $toolchain; remove it or set QUORVA_BUILD_DIR"
    fi
    if [[ ! -f $cache ]] || grep -qx 'QUORVA_TESTS:BOOL=OFF' "$cache"; then
        cmake -S "$QUORVA_ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQUORVA_TESTS=ON
    fi
    cmake --build "$dir" -j "$JOBS"
}

configure_and_build() { build_arch "$BUILD_DIR" "$ARCH"; }

# The other architecture is compiled too, tests and all, so that code only
# one compiler rejects (a calling convention, a pointer size) never lands.
# Where the tests run 64-bit code, this is also the 32-bit program we ship.
build_other_arch() {
    build_arch "$BUILD_DIR-$OTHER_ARCH" "$OTHER_ARCH"
    log "$OTHER_ARCH build (compiled, its tests not run): $BUILD_DIR-$OTHER_ARCH"
}

display_answers() {
    xdpyinfo -display "$1" >/dev/null 2>&1
}

# Starts Xvfb on the first free display from :90 on; other jobs may share
# this machine, so a display that is taken, or lost in a race, is skipped.
XVFB_PID=
start_xvfb() {
    local n i
    for ((n = 90; n < 190; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$BUILD_DIR/xvfb.log" 2>&1 &
        XVFB_PID=$!
        for ((i = 0; i < 100; i++)); do
            if display_answers ":$n"; then
                export DISPLAY=:$n
                log "Xvfb on $DISPLAY"
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        stop_xvfb
    done
    die "could not start Xvfb (see $BUILD_DIR/xvfb.log)"
}

stop_xvfb() {
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}

# A prefix of our own inside the build tree, made once: fonts the forms
# use, and replacements for the Windows core fonts by metric-compatible ones.
make_wine_prefix() {
    local stamp=$WINEPREFIX/.quorva-prefix
    [[ -f $stamp && $(<"$stamp") == "$PREFIX_VERSION" ]] && return 0
    log "making the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko: nothing here needs them and their installers prompt.
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
        "$WINE" wineboot -i </dev/null >"$BUILD_DIR/wineboot.log" 2>&1 ||
        die "wineboot failed (see $BUILD_DIR/wineboot.log)"
    wineserver -w
    cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
    local reg=$WINEPREFIX/quorva.reg
    cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Courier New"="Liberation Mono"
"Times New Roman"="Liberation Serif"
"Arial"="Liberation Sans"
"Segoe UI"="Open Sans"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Tests"="1024x768"
EOF
    # The test programs and the long-run benchmark keep all their windows in
    # one virtual desktop: without a window manager, hiding a top-level
    # window of its own would wait seconds for one to answer. The program
    # itself stays on the user's display.
    local exe
    for exe in forms_tests app_tests components_tests bars_tests controls_tests longrun_bench; do
        printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s.exe\\Explorer]\n"Desktop"="Tests"\n' \
            "$exe" >>"$reg"
    done
    "$WINE" regedit "$reg" </dev/null >/dev/null 2>&1 || die "could not import $reg"
    wineserver -w
    check_fonts
    echo "$PREFIX_VERSION" >"$stamp"
}

# A face Wine cannot find silently becomes its default font; catch that
# here rather than as odd text metrics in the tests.
check_fonts() {
    local probe=$BUILD_DIR/tests/probe.exe fallback face resolved
    [[ -x $probe ]] || { log "no $probe: fonts not checked"; return 0; }
    fallback=$("$WINE" "$probe" faces "No Such Face Anywhere" </dev/null | cut -f2)
    while IFS=$'\t' read -r face resolved; do
        log "font '$face' -> '$resolved'"
        [[ -n $resolved && $resolved != "$fallback" ]] ||
            die "font '$face' does not resolve (falls back to '$fallback')"
    done < <("$WINE" "$probe" faces "${REQUIRED_FACES[@]}" </dev/null | tr -d '\r')
}
