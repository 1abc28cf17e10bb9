#!/usr/bin/env bash
# Runs the high-DPI tests of the app's test program at 120 and 144 dots per
# inch, each in a prefix of its own that shares the test prefix's drive but
# has its own registry with the screen's logical pixels per inch set.
# The toolbars menu's test must have run and passed in each.
#
#   dpi.sh WINE APP_TESTS_EXE OUT_DIR
#
# Needs an X display and WINEPREFIX (scripts/test.sh gives both); exits 77,
# skipped, without them.
set -euo pipefail

if (($# != 3)); then
    echo "usage: $0 WINE APP_TESTS_EXE OUT_DIR" >&2
    exit 2
fi
WINE=$1 TESTS=$2 OUT=$3
if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1 || [[ ! -f ${WINEPREFIX:-}/system.reg ]]; then
    echo "dpi: no X display or test prefix; use scripts/test.sh" >&2
    exit 77
fi
SOURCE=$WINEPREFIX
export WINEDEBUG=-all

PREFIXES=()
cleanup() {
    local p
    for p in "${PREFIXES[@]}"; do
        WINEPREFIX=$p wineserver -k 2>/dev/null || true
        rm -rf "$p"
    done
}
trap cleanup EXIT

status=0
for dpi in 120 144; do
    prefix=$(mktemp -d "$OUT/dpi-$dpi.XXXXXX")
    PREFIXES+=("$prefix")
    cp -a "$SOURCE"/*.reg "$SOURCE"/.update-timestamp "$SOURCE"/dosdevices "$prefix"/
    ln -s "$SOURCE/drive_c" "$prefix/drive_c"
    # Wine reads the value from each of these places for one part or another.
    cat >"$prefix/dpi.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf '%08x' "$dpi")

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]
"LogPixels"=dword:$(printf '%08x' "$dpi")

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts]
"LogPixels"=dword:$(printf '%08x' "$dpi")
EOF
    WINEPREFIX=$prefix "$WINE" regedit "$prefix/dpi.reg" </dev/null >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
    echo "dpi: $dpi dots per inch"
    log=$prefix/tests.log
    QUORVA_DPI=$dpi WINEPREFIX=$prefix "$WINE" "$TESTS" --gtest_filter='HighDpi.*' </dev/null | tee "$log" ||
        status=1
    # A filter that matches nothing passes; so does a run cut short before
    # the menu's test.
    if ! grep -q '^\[       OK \] HighDpi\.TheToolbarsMenusCheckColumnGrowsWithItsFont' "$log"; then
        echo "dpi: the toolbars menu's test did not pass at $dpi dots per inch" >&2
        status=1
    fi
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
done
exit "$status"
