#!/usr/bin/env bash
# End-to-end run of Quorva: starts the real program in a Wine virtual
# desktop, presses its keys with xdotool and reads its windows back with
# probe.exe, which runs under the same prefix and wineserver.
#
#   e2e.sh WINE QUORVA_EXE PROBE_EXE OUT_DIR
#
# Needs an X display in DISPLAY (scripts/test.sh starts one) and exits 77,
# skipped, without one. Failures leave OUT_DIR/e2e-failure.png behind.
set -euo pipefail

if (($# != 4)); then
    echo "usage: $0 WINE QUORVA_EXE PROBE_EXE OUT_DIR" >&2
    exit 2
fi
WINE=$1 QUORVA=$2 PROBE=$3 OUT=$4
if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
    echo "e2e: no X display to run on; use scripts/test.sh" >&2
    exit 77
fi
export WINEDEBUG=-all

DESKTOP=QuorvaE2E
DESKTOP_SIZE=1024x768
ZERO="00 hrs, 00 min, 00 sec"
TIME_FORMAT='^[0-9]{2} hrs, [0-9]{2} min, [0-9]{2} sec$'
STOP_QUESTION="Stop the timer and clear the counter?"
QUIT_QUESTION="Timer is active. Are you sure you want to quit?"
PANEL_COLOUR="#E8E8FF"
LOG=$OUT/e2e-wine.log

LAUNCHERS=()   # Unix pids of the wine commands started here
APP_PID=       # Windows pids of the programs started here
NOTEPAD_PID=
WINDOWS=       # what the probe saw last, for failure reports
CHILDREN=

step() { printf 'e2e: %3ds %s\n' "$SECONDS" "$*"; }
now_ms() { date +%s%3N; }

fail() {
    step "FAILED: $*"
    printf -- '--- top-level windows last seen:\n%s\n' "$WINDOWS"
    printf -- '--- main window children last seen:\n%s\n' "$CHILDREN"
    if import -window root "$OUT/e2e-failure.png" 2>/dev/null; then
        step "screenshot: $OUT/e2e-failure.png"
    fi
    exit 1
}

cleanup() {
    local pid
    for pid in $APP_PID $NOTEPAD_PID; do
        "$WINE" "$PROBE" kill "$pid" </dev/null >/dev/null 2>&1 || true
    done
    for pid in "${LAUNCHERS[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

# Runs a Windows program inside our virtual desktop, in the background.
launch() {
    "$WINE" explorer "/desktop=$DESKTOP,$DESKTOP_SIZE" "$@" </dev/null >>"$LOG" 2>&1 &
    LAUNCHERS+=($!)
}

# Polls COMMAND until it succeeds, for at most SECONDS.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$(($(now_ms) + seconds * 1000))
    until "$@"; do
        (($(now_ms) < deadline)) || fail "no $what within ${seconds}s"
        sleep 0.2
    done
}

press() {
    xdotool key "$@"
}

click() {
    xdotool mousemove "$1" "$2" click 1
}

read_windows() {
    WINDOWS=$("$WINE" "$PROBE" --desktop "$DESKTOP" windows </dev/null 2>/dev/null) || WINDOWS=
}

# Finds the first top-level window of CLASS (and TEXT, if given) in what
# read_windows saw; sets W_HWND, W_PID, W_VISIBLE, W_RECT, W_CLIENT,
# W_OWNER and W_TEXT.
find_window() {
    local hwnd pid cls visible rect client owner text
    while IFS=$'\t' read -r hwnd pid cls visible rect client owner text; do
        [[ $cls == "$1" ]] || continue
        [[ $# -lt 2 || $text == "$2" ]] || continue
        W_HWND=$hwnd W_PID=$pid W_VISIBLE=$visible W_RECT=$rect W_CLIENT=$client
        W_OWNER=$owner W_TEXT=$text
        return 0
    done <<<"$WINDOWS"
    return 1
}

# What a screen reader reads of a window's client area, one element a line:
# child role state location name description shortcut action.
read_accessible() {
    ACCESSIBLE=$("$WINE" "$PROBE" accessible "$1" </dev/null 2>/dev/null) || ACCESSIBLE=
}

# Field N of the element named NAME in what read_accessible read.
element() { awk -F'\t' -v name="$1" -v field="$2" '$5 == name { print $field; exit }' <<<"$ACCESSIBLE"; }

# The element named NAME reads as ROLE, DESCRIPTION, SHORTCUT and ACTION.
expect_element() {
    local name=$1 role=$2 description=$3 shortcut=$4 action=$5
    [[ -n $(element "$name" 1) ]] || fail "a screen reader finds no '$name' in: $ACCESSIBLE"
    [[ $(element "$name" 2) == "$role" ]] || fail "'$name' reads as a '$(element "$name" 2)', not a '$role'"
    [[ $(element "$name" 6) == "$description" ]] ||
        fail "'$name' is described as '$(element "$name" 6)', not '$description'"
    [[ $(element "$name" 7) == "$shortcut" ]] || fail "'$name' has the shortcut '$(element "$name" 7)', not '$shortcut'"
    [[ $(element "$name" 8) == "$action" ]] || fail "'$name' has the action '$(element "$name" 8)', not '$action'"
}

has_state() { [[ ,$(element "$1" 3), == *",$2,"* ]]; }

has_child_text() { "$WINE" "$PROBE" children "$1" </dev/null 2>/dev/null | cut -f6 | grep -qxF -- "$2"; }

main_window_up() {
    read_windows
    find_window TfrmMain && ((W_VISIBLE)) || return 1
    MAIN_HWND=$W_HWND MAIN_RECT=$W_RECT MAIN_CLIENT=$W_CLIENT MAIN_OWNER=$W_OWNER
    MAIN_TEXT=$W_TEXT APP_PID=$W_PID
}

# Sets PANEL from the time panel of the main window.
read_panel() {
    CHILDREN=$("$WINE" "$PROBE" children "$MAIN_HWND" </dev/null 2>/dev/null) || return 1
    local cls text
    while IFS=$'\t' read -r _ _ cls _ _ text; do
        if [[ $cls == TPanel ]]; then
            PANEL=$text
            return 0
        fi
    done <<<"$CHILDREN"
    return 1
}

panel_is() { read_panel && [[ $PANEL == "$1" ]]; }
panel_running() { read_panel && [[ $PANEL =~ $TIME_FORMAT && $PANEL != "$ZERO" ]]; }
panel_moved_from() { read_panel && [[ $PANEL =~ $TIME_FORMAT && $PANEL != "$1" ]]; }

# The count must come to rest: unchanged for 1.5 s, within 6 s. A key
# press still on its way may move it once before it stops.
expect_panel_still() {
    local deadline=$(($(now_ms) + 6000)) since last
    read_panel || fail "cannot read the time panel"
    last=$PANEL since=$(now_ms)
    while (($(now_ms) - since < 1500)); do
        (($(now_ms) < deadline)) || fail "$1: the count did not stay still for 1.5 s (now '$PANEL')"
        sleep 0.2
        read_panel || fail "cannot read the time panel"
        [[ $PANEL == "$last" ]] || last=$PANEL since=$(now_ms)
    done
}

app_title_matches() {
    read_windows
    find_window TApplication && [[ $W_TEXT =~ $1 ]]
}

# Sets CONFIRM_HWND when the confirmation box is showing.
confirm_up() {
    read_windows
    find_window '#32770' Confirm && ((W_VISIBLE)) || return 1
    CONFIRM_HWND=$W_HWND
}
confirm_gone() { ! confirm_up; }

expect_question() {
    wait_until 5 "Confirm box" confirm_up
    CHILDREN=$("$WINE" "$PROBE" children "$CONFIRM_HWND" </dev/null 2>/dev/null) || true
    grep -qxF -- "$1" <<<"$(cut -f6 <<<"$CHILDREN")" ||
        fail "the Confirm box does not ask '$1'"
}

answer() {
    press "$1"
    wait_until 5 "closing of the Confirm box" confirm_gone
}

app_gone() { ! "$WINE" "$PROBE" alive "$APP_PID" </dev/null >/dev/null 2>&1; }

# Quits without a question: the process ends and no Confirm box shows.
app_gone_unasked() {
    if confirm_up; then fail "$STATE: asked to confirm on exit"; fi
    app_gone
}

start_quorva() {
    launch "Z:${QUORVA//\//\\}"
    wait_until 30 "main window" main_window_up
}

# A click on the caption gives the window the keyboard.
focus_main() {
    local l t r b cl ct cr cb
    IFS=, read -r l t r b <<<"$MAIN_RECT"
    IFS=, read -r cl ct cr cb <<<"$MAIN_CLIENT"
    click $(((l + r) / 2)) $(((t + ct) / 2))
}

check_first_look() {
    local l t r b cl ct cr cb
    [[ $MAIN_TEXT == Quorva ]] || fail "main window caption is '$MAIN_TEXT'"
    IFS=, read -r l t r b <<<"$MAIN_RECT"
    IFS=, read -r cl ct cr cb <<<"$MAIN_CLIENT"
    ((cr - cl == 375 && cb - ct == 157)) || fail "client area is $((cr - cl))x$((cb - ct)), not 375x157"
    local dx=$(((l + r) - 1024)) dy=$(((t + b) - 768))
    ((dx * dx <= 4 && dy * dy <= 4)) || fail "main window $MAIN_RECT is not centred on the screen"
    read_windows
    find_window TApplication || fail "no TApplication window"
    [[ $W_TEXT == Quorva ]] || fail "application title is '$W_TEXT', not 'Quorva'"
    IFS=, read -r l t r b <<<"$W_RECT"
    ((l == r || t == b)) || fail "the TApplication window is not empty: $W_RECT"
    [[ $MAIN_OWNER == "$W_HWND" ]] || fail "main window owner is $MAIN_OWNER, not TApplication $W_HWND"
    panel_is "$ZERO" || fail "time panel reads '${PANEL:-?}', not '$ZERO'"
}

# The manifest takes common controls 6 in the process's own architecture:
# a 64-bit program that asked for the 32-bit ones would not start.
check_manifest() {
    local manifest arch
    manifest=$("$WINE" "$PROBE" manifest "Z:${QUORVA//\//\\}" </dev/null) ||
        fail "cannot read the manifest of $QUORVA"
    case $(od -An -tx1 -j$(($(od -An -tu4 -j60 -N4 "$QUORVA") + 4)) -N2 "$QUORVA" | tr -d ' ') in
        4c01) arch=x86 ;;
        6486) arch=amd64 ;;
        *) fail "$QUORVA is neither an i386 nor an x86-64 program" ;;
    esac
    grep -q "name=\"BrenwickSoftware.Quorva\" version=\"1.5.0.0\" processorArchitecture=\"$arch\"" <<<"$manifest" ||
        fail "the manifest does not name the program's architecture $arch"
    grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" &&
        grep -q 'processorArchitecture="\*" publicKeyToken' <<<"$manifest" ||
        fail "the manifest does not take common controls 6 in any architecture"
}

# A pixel of the time panel below the top 60 rows and away from the text.
check_panel_colour() {
    local cl ct cr cb x y shot=$OUT/e2e-screen.png pixel
    IFS=, read -r cl ct cr cb <<<"$MAIN_CLIENT"
    x=$((cl + 15)) y=$((cb - 15))
    ((y - ct >= 60)) || fail "client area too short for the colour check"
    import -window root "$shot"
    pixel=$(convert "$shot" -crop "1x1+$x+$y" -depth 8 txt:- | tail -n 1)
    [[ $pixel == *"$PANEL_COLOUR"* ]] ||
        fail "time panel pixel at $x,$y is '$pixel', not $PANEL_COLOUR"
}

: >"$LOG"

step "manifest"
check_manifest

step "start"
start_quorva
check_first_look
focus_main

step "a right press on the toolbar opens its menu; Customize... opens the dialog over the disabled window"
toolbars_menu_up() { read_windows && find_window QuorvaBarSubMenu && ((W_VISIBLE)); }
customize_up() { read_windows && find_window TdxBarCustomizationForm Customize && ((W_VISIBLE)); }
customize_gone() { read_windows && ! { find_window TdxBarCustomizationForm Customize && ((W_VISIBLE)); }; }
about_up() { read_windows && find_window TfrmAbout About && ((W_VISIBLE)); }
about_gone() { read_windows && ! { find_window TfrmAbout About && ((W_VISIBLE)); }; }
IFS=, read -r cl ct _ _ <<<"$MAIN_CLIENT"
xdotool mousemove $((cl + 180)) $((ct + 20)) click 3
wait_until 5 "toolbars menu" toolbars_menu_up
IFS=, read -r ml _ mr mb <<<"$W_RECT"
click $(((ml + mr) / 2)) $((mb - 12))
wait_until 5 "Customize dialog" customize_up
IFS=, read -r dl dt dr db <<<"$W_CLIENT"
((dr - dl == 366 && db - dt == 310)) || fail "the Customize dialog's client area is $W_CLIENT, not 366 x 310"
[[ $W_OWNER == "$MAIN_HWND" ]] || fail "the Customize dialog's owner is $W_OWNER, not the main window"
has_child_text "$W_HWND" "Close" || fail "no Close button in the Customize dialog"

step "while customizing, a click selects Start without running it; Stop dragged onto the time panel leaves the toolbar"
# The dialog opens centred over the main window: its caption takes it
# down out of the toolbar's way.
IFS=, read -r dl dt dr _ <<<"$W_RECT"
xdotool mousemove $(((dl + dr) / 2)) $((dt + 10)) mousedown 1
sleep 0.3
xdotool mousemove $(((dl + dr) / 2)) $((dt + 100))
sleep 0.2
xdotool mousemove $(((dl + dr) / 2)) $((dt + 250))
sleep 0.3
xdotool mouseup 1
# The five large buttons sit side by side, 75 pixels each.
start_x=$((cl + 111)) stop_x=$((cl + 261)) button_y=$((ct + 20))
black_in_toolbar() {
    import -window root "$OUT/e2e-screen.png"
    convert "$OUT/e2e-screen.png" -crop "375x52+$cl+$ct" +repage -fill white +opaque "#000000" -negate \
        -format "%[fx:round(mean*w*h)]" info:
}
black_before=$(black_in_toolbar)
click $start_x $button_y
sleep 1
panel_is "$ZERO" || fail "a click on Start while customizing ran it: the panel reads '${PANEL:-?}'"
black_after=$(black_in_toolbar)
((black_after - black_before >= 300)) ||
    fail "no dark frame around the selected Start button ($black_before black pixels before, $black_after after)"
xdotool mousemove $stop_x $button_y mousedown 1
sleep 0.2
xdotool mousemove $stop_x $((button_y + 12))
sleep 0.2
xdotool mousemove $((cl + 100)) $((ct + 80))
sleep 0.3
xdotool mouseup 1
sleep 0.5
press Escape
wait_until 5 "closing of Customize with Escape" customize_gone

step "after customizing, About sits where Stop was and a click on Start starts the count"
click $stop_x $button_y
wait_until 5 "About dialog from the button in Stop's place" about_up
press Escape
wait_until 5 "closing of About" about_gone
click $start_x $button_y
wait_until 4 "count after clicking Start" panel_running

step "Alt+A shows About while the count goes on; Escape and Enter close it"
for key in Escape Return; do
    press alt+a
    wait_until 5 "About dialog" about_up
    IFS=, read -r al at ar ab <<<"$W_CLIENT"
    ((ar - al == 364 && ab - at == 197)) || fail "the About dialog's client area is $W_CLIENT, not 364 x 197"
    has_child_text "$W_HWND" "&Ok" || fail "no Ok button in the About dialog"
    read_panel || fail "cannot read the time panel"
    wait_until 4 "count while About is open" panel_moved_from "$PANEL"
    press "$key"
    wait_until 5 "closing of About with $key" about_gone
done
focus_main

step "F3 pauses and resumes"
press F3
expect_panel_still "paused with F3"
paused=$PANEL
press F3
wait_until 4 "count after resuming" panel_moved_from "$paused"

step "the title shows the time while another program is active"
launch notepad
notepad_up() {
    read_windows
    find_window Notepad && ((W_VISIBLE)) || return 1
    NOTEPAD_PID=$W_PID NOTEPAD_HWND=$W_HWND NOTEPAD_CLIENT=$W_CLIENT
}
wait_until 20 "Notepad window" notepad_up
IFS=, read -r nl nt nr nb <<<"$NOTEPAD_CLIENT"
click $(((nl + nr) / 2)) $(((nt + nb) / 2))
wait_until 4 "application title with the time" app_title_matches '^Quorva 0:0:[0-9]+$'
"$WINE" "$PROBE" close "$NOTEPAD_HWND" </dev/null >/dev/null 2>&1 || fail "cannot close Notepad"
notepad_gone() { read_windows && ! find_window Notepad; }
wait_until 5 "closing of Notepad" notepad_gone
NOTEPAD_PID=
focus_main
wait_until 3 "plain application title once active again" app_title_matches '^Quorva$'

step "F4 asks before stopping; Escape keeps counting"
press F4
expect_question "$STOP_QUESTION"
answer Escape
read_panel || fail "cannot read the time panel"
wait_until 4 "count after declining to stop" panel_moved_from "$PANEL"

step "F4 and Enter stop the count"
press F4
expect_question "$STOP_QUESTION"
answer Return
expect_panel_still "stopped with F4"
step "stopped at '$PANEL'"
check_panel_colour

step "Alt+X asks while running; Escape stays"
press F2
wait_until 4 "count after F2 again" panel_running
press alt+x
expect_question "$QUIT_QUESTION"
answer Escape
main_window_up || fail "the main window went away after declining to quit"
wait_until 4 "count after declining to quit" panel_moved_from "$PANEL"

step "Alt+X and Enter quit"
press alt+x
expect_question "$QUIT_QUESTION"
press Return
wait_until 5 "exit after confirming" app_gone
APP_PID=

# Paused, stopped or never started, Alt+X quits without a question.
for STATE in idle paused stopped; do
    step "Alt+X quits at once when $STATE"
    start_quorva
    focus_main
    case $STATE in
        paused)
            press F2
            wait_until 4 "count after F2" panel_running
            press F3 ;;
        stopped)
            press F2
            wait_until 4 "count after F2" panel_running
            press F4
            expect_question "$STOP_QUESTION"
            answer Return ;;
    esac
    press alt+x
    wait_until 5 "exit from the $STATE state" app_gone_unasked
    APP_PID=
done

step "a screen reader reads the toolbar from another process and presses Start"
start_quorva
CHILDREN=$("$WINE" "$PROBE" children "$MAIN_HWND" </dev/null 2>/dev/null) || true
BAR_HWND=$(awk -F'\t' '$3 == "TdxBarControl" { print $1; exit }' <<<"$CHILDREN")
[[ -n $BAR_HWND ]] || fail "no toolbar window"
read_accessible "$BAR_HWND"
[[ $(awk -F'\t' '$1 == 0 { print $2 "/" $5 }' <<<"$ACCESSIBLE") == "tool bar/Main" ]] ||
    fail "the toolbar does not read as the tool bar 'Main': $ACCESSIBLE"
expect_element Start "push button" "Start Timer" F2 Press
expect_element Pause "push button" "Pause Timer" F3 Press
has_state Pause unavailable || fail "Pause is not unavailable while stopped: $(element Pause 3)"
if has_state Start unavailable; then fail "Start is unavailable while stopped"; fi
IFS=, read -r l t r b <<<"$(element Start 4)"
IFS=, read -r cl ct cr cb <<<"$MAIN_CLIENT"
((cl <= l && l < r && r <= cr && ct <= t && t < b && b <= cb)) ||
    fail "Start lies at $(element Start 4), outside the main window's client area $MAIN_CLIENT"
"$WINE" "$PROBE" press "$BAR_HWND" "$(element Start 1)" </dev/null >/dev/null || fail "cannot press Start"
wait_until 4 "count after a screen reader pressed Start" panel_running
read_accessible "$BAR_HWND"
has_state Start unavailable || fail "Start is still available while counting"
if has_state Pause unavailable; then fail "Pause is unavailable while counting"; fi

step "the About dialog reads from another process; its Ok button closes it"
"$WINE" "$PROBE" press "$BAR_HWND" "$(element About 1)" </dev/null >/dev/null || fail "cannot press About"
wait_until 5 "About dialog" about_up
CHILDREN=$("$WINE" "$PROBE" children "$W_HWND" </dev/null 2>/dev/null) || true
PANEL_HWND=$(awk -F'\t' '$3 == "TQibGradPanel" { print $1; exit }' <<<"$CHILDREN")
OK_HWND=$(awk -F'\t' '$3 == "Button" { print $1; exit }' <<<"$CHILDREN")
[[ -n $PANEL_HWND && -n $OK_HWND ]] || fail "the About dialog lacks its panel or its button: $CHILDREN"
read_accessible "$PANEL_HWND"
expect_element Quorva "static text" "" "" ""
expect_element "Stopwatch Timer" "static text" "" "" ""
expect_element "Brenwick Software" link "" "" Jump
expect_element Ok "push button" "Close this dialog" Alt+O Press
read_accessible "$OK_HWND"
expect_element Ok "push button" "Close this dialog" Alt+O Press
"$WINE" "$PROBE" press "$OK_HWND" 0 </dev/null >/dev/null || fail "cannot press Ok"
wait_until 5 "closing of About by a screen reader" about_gone
"$WINE" "$PROBE" kill "$APP_PID" </dev/null >/dev/null 2>&1 || fail "cannot end Quorva"
APP_PID=

step "passed"
