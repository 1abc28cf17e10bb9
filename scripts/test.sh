#!/usr/bin/env bash
# Builds Quorva and runs all its tests under Wine on a private X display.
# Installs what is missing first (Debian 12). Extra arguments go to ctest,
# e.g. scripts/test.sh -R forms
set -euo pipefail
# shellcheck source=scripts/lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing_packages
choose_arch
configure_and_build
log "$ARCH build done"
build_other_arch

# shellcheck disable=SC2317 # run by the EXIT trap
stop_all() {
    wineserver -k 2>/dev/null || true
    stop_xvfb
}
trap stop_all EXIT
start_xvfb
make_wine_prefix
# One wineserver for the whole run rather than one per test program.
wineserver -w
wineserver -p 2>/dev/null || true
# The first program of a Wine session starts Wine's own services and
# desktop, which inherit its output. Started under ctest they would hold
# ctest's pipe open and it would wait for them until the time-out.
"$WINE" "$BUILD_DIR/tests/probe.exe" faces Arial </dev/null >/dev/null 2>&1 || true

if [[ -n $SKIPPED_32BIT ]]; then
    log "NOTE: the i686 tests are skipped: $SKIPPED_32BIT. The x86_64 tests run instead; the i686 test programs were compiled."
else
    log "running the $ARCH tests; the $OTHER_ARCH test programs were compiled only"
fi
status=0
(cd "$BUILD_DIR" && ctest --output-on-failure "$@") || status=$?
exit "$status"
