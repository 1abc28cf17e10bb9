#!/usr/bin/env bash
# Builds Quorva and runs it. On a working X display it simply opens there;
# without one it runs on a private Xvfb display, saves a screenshot of its
# window to build/screenshot.png and closes it again.
set -euo pipefail
# shellcheck source=scripts/lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing_packages
choose_arch
configure_and_build
exe=$BUILD_DIR/app/Quorva.exe

if [[ -n ${DISPLAY:-} ]] && display_answers "$DISPLAY"; then
    make_wine_prefix
    exec "$WINE" "$exe"
fi

probe=$BUILD_DIR/tests/probe.exe
[[ -x $probe ]] || die "no $probe to find the window with (configured with QUORVA_TESTS=OFF?)"
desktop=Quorva
size=1024x768
launcher=
main_pid=

stop_all() {
    if [[ -n $main_pid ]]; then
        "$WINE" "$probe" kill "$main_pid" </dev/null >/dev/null 2>&1 || true
    fi
    if [[ -n $launcher ]]; then
        kill "$launcher" 2>/dev/null || true
        wait "$launcher" 2>/dev/null || true
    fi
    stop_xvfb
}
trap stop_all EXIT
start_xvfb
make_wine_prefix

"$WINE" explorer "/desktop=$desktop,$size" "Z:${exe//\//\\}" </dev/null >"$BUILD_DIR/run.log" 2>&1 &
launcher=$!

main_hwnd=
main_rect=
deadline=$((SECONDS + 60))
while [[ -z $main_hwnd ]]; do
    kill -0 "$launcher" 2>/dev/null || die "Quorva did not start (see $BUILD_DIR/run.log)"
    ((SECONDS < deadline)) || die "no Quorva window within 60 s (see $BUILD_DIR/run.log)"
    sleep 0.2
    while IFS=$'\t' read -r hwnd pid cls visible rect _; do
        if [[ $cls == TfrmMain && $visible == 1 ]]; then
            main_hwnd=$hwnd main_pid=$pid main_rect=$rect
        fi
    done < <("$WINE" "$probe" --desktop "$desktop" windows </dev/null 2>/dev/null || true)
done

# Its first paint may still be on its way.
sleep 1
shot=$BUILD_DIR/screenshot.png
IFS=, read -r l t r b <<<"$main_rect"
import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shot"
log "screenshot of Quorva saved to $shot"

# Closed as a user would; the EXIT trap ends it if it does not go.
"$WINE" "$probe" close "$main_hwnd" </dev/null >/dev/null 2>&1 || true
deadline=$((SECONDS + 10))
while ((SECONDS < deadline)); do
    if ! "$WINE" "$probe" alive "$main_pid" </dev/null >/dev/null 2>&1; then
        main_pid=
        break
    fi
    sleep 0.2
done
