#!/usr/bin/env bash
# The real keywarden program under a private X server with a window manager, driven only by X
# input (xdotool keys and clicks at the controls' places) and checked through window titles, the
# real clipboard (xclip) and the files beside the program (deciphered with keywarden-cli).
#
# Usage: run_e2e.sh KEYWARDEN KEYWARDEN_CLI SCREENSHOT_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

readonly kSkip=77

if [ "${1:-}" != "--inside" ]; then
    if [ $# -ne 3 ]; then
        echo "usage: $0 KEYWARDEN KEYWARDEN_CLI SCREENSHOT_DIR" >&2
        exit 2
    fi
    missing=()
    for tool in xvfb-run Xvfb xauth xdotool xclip xwininfo xprop setxkbmap import openbox; do
        command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "SKIP: the end-to-end test needs ${missing[*]} (scripts/setup installs them)"
        exit $kSkip
    fi
    # The whole run gets its own server; xvfb-run picks a free display number.
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" --inside "$@"
fi
shift

readonly kProgram="$1" kCli="$2" kShots="$3"
readonly kUser="e2e"
readonly kOldPass="abcd"            # exactly the 4 characters the login accepts
readonly kNewPass="neu-5678"
readonly kTitle="Tarvenic Keywarden"
readonly kLoginTitle="^$kTitle - Login\$"
readonly kMainTitle="^$kTitle - $kUser\$"
readonly kEditTitle="^$kTitle - Neuer Eintrag - $kUser\$"
readonly kMessageTitle="^$kTitle\$"
readonly kMasterTitle="^Master-Passwort f.+r '$kUser' .+ndern\$"
readonly kConfirmTitle="^$kTitle - Master-Passwort best.+tigen\$"

RUN="$(mktemp -d "${TMPDIR:-/tmp}/keywarden-e2e.XXXXXX")"
# The program lies in a folder of its own, as installed; with nothing beside it, its data goes to the
# user's data folder.
readonly RUN PROG="$RUN/prog" LOG="$RUN/keywarden.log" DATA="$RUN/home/.local/share/keywarden"
STEP="start"
LAST_SHOT="(none yet)"
SHOT_NO=0
APP_PID=""
WM_PID=""
PASSED=0
PX_WIDTH=0      # the login window's client width in pixels: converts twips to pixels

# Isolated from the machine's user: own lock folder (the program allows one copy per user),
# own temporary folder, own home (no window manager or Qt settings of the caller).
mkdir -p "$PROG" "$RUN/xdg" "$RUN/tmp" "$RUN/home" "$kShots"
chmod 700 "$RUN/xdg"
rm -f "$kShots"/*.png
export XDG_RUNTIME_DIR="$RUN/xdg" TMPDIR="$RUN/tmp" HOME="$RUN/home" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
unset XDG_CONFIG_HOME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING \
      QT_FONT_DPI QT_STYLE_OVERRIDE
cp "$kProgram" "$PROG/keywarden"
chmod 555 "$PROG"

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
    wait 2>/dev/null
    # A failed run keeps its folders for a look at the files.
    [ "$PASSED" -eq 1 ] && chmod u+w "$PROG" && rm -rf "$RUN"
}
trap cleanup EXIT

shot() {
    SHOT_NO=$((SHOT_NO + 1))
    LAST_SHOT="$kShots/$(printf '%02d' "$SHOT_NO")-$1.png"
    import -window root "$LAST_SHOT" 2>/dev/null || LAST_SHOT="(screenshot failed: $LAST_SHOT)"
    echo "  screenshot: $LAST_SHOT"
}

fail() {
    echo "FAIL in step '$STEP': $*"
    shot "failure"
    echo "last screenshot: $LAST_SHOT"
    echo "program folder: $PROG"
    ls -la "$PROG"
    echo "data folder: $DATA"
    ls -la "$DATA"
    echo "----- program output -----"
    cat "$LOG" 2>/dev/null
    echo "--------------------------"
    exit 1
}

step() {
    STEP="$1"
    echo "step: $STEP"
}

# poll TIMEOUT_SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
poll() {
    local deadline=$((SECONDS + $1))
    shift
    while ! "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

visible_windows() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null
}

window_shown() {
    [ -n "$(visible_windows "$1")" ]
}

window_gone() {
    [ -z "$(visible_windows "$1")" ]
}

# Waits up to 30 s for the one visible window titled TITLE_RE and puts its id in WIN.
wait_window() {
    poll 30 window_shown "$1" || fail "no window titled '$1' appeared"
    WIN="$(visible_windows "$1")"
    [ "$(wc -l <<<"$WIN")" -eq 1 ] || fail "more than one window titled '$1'"
}

wait_gone() {
    poll 30 window_gone "$1" || fail "the window titled '$1' did not go away"
}

# Absolute client position and size, and the frame the window manager drew around it.
client_geometry() {
    local info
    info="$(xwininfo -id "$1")" || fail "window $1 is gone"
    GX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    GY=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    GW=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    GH=$(awk '/^ *Height:/ {print $2}' <<<"$info")
    local extents
    extents="$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')"
    IFS=, read -r FL FR FT FB <<<"$extents"
    [ -n "$FT" ] || fail "window $1 has no frame from the window manager"
}

is_active() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}

# Gives WINDOW the keyboard as a person would: a click on its title bar when it lacks it.
focus_window() {
    is_active "$1" && return 0
    client_geometry "$1"
    xdotool mousemove $((GX + GW / 2)) $((GY - FT / 2)) click 1
    poll 10 is_active "$1" || fail "window $1 does not take the keyboard"
}

twips() {
    echo $(( ($1 * PX_WIDTH + 2325) / 4650 ))
}

# click WINDOW LEFT TOP WIDTH HEIGHT [BUTTON]: a click in the middle of a control placed in twips.
click() {
    local x y
    x=$(twips $(($2 + $4 / 2)))
    y=$(twips $(($3 + $5 / 2)))
    xdotool mousemove --window "$1" "$x" "$y" click "${6:-1}"
    # Parked outside every window, so no tool tip waits over the next control.
    xdotool mousemove 1 1020
}

type_text() {
    xdotool type --delay 25 -- "$1"
}

keys() {
    xdotool key --delay 25 "$@"
}

clipboard() {
    timeout 5 xclip -o -selection clipboard "$@" 2>/dev/null
}

clipboard_is() {
    [ "$(clipboard)" = "$1" ]
}

clipboard_empty() {
    [ -z "$(clipboard)" ]
}

# Copies the text of the line edit at the given place (End, Shift+Home, Ctrl+C) and checks it.
expect_field_text() {
    local window="$1" expected="$2"
    shift 2
    timeout 5 xclip -i -selection clipboard </dev/null
    click "$window" "$@"
    keys End shift+Home ctrl+c
    poll 10 clipboard_is "$expected" || fail "the field holds '$(clipboard)', expected '$expected'"
}

dump_store() {
    printf '%s\n' "$2" | "$kCli" dump "$1" 2>&1
}

# expect_store FILE PASSWORD EXPECTED_PRINTF_FORMAT: the deciphered store, byte for byte.
expect_store() {
    printf "$3" >"$RUN/expected"
    if ! dump_store "$1" "$2" >"$RUN/actual"; then
        fail "$1 does not open with '$2': $(cat "$RUN/actual")"
    fi
    cmp -s "$RUN/expected" "$RUN/actual" ||
        fail "$1 deciphers to $(od -c "$RUN/actual"), expected $(od -c "$RUN/expected")"
}

store_holds() {
    dump_store "$1" "$2" | grep -qF -- "$3"
}

store_lacks() {
    dump_store "$1" "$2" >"$RUN/actual" && ! grep -qF -- "$3" "$RUN/actual"
}

no_working_copy() {
    [ ! -e "$DATA/pstmp.dat" ] && [ ! -e "$TMPDIR/pstmp.dat" ]
}

# After every write the store is complete, read-only and no plaintext lies on disk.
expect_at_rest() {
    poll 10 no_working_copy || fail "the working copy pstmp.dat is still on disk"
    local mode
    mode="$(stat -c %A "$DATA/$kUser.dat")"
    [[ "$mode" != *w* ]] || fail "$kUser.dat is writable ($mode)"
}

# The files of the data folder but the settings (the login remembers the name before it tries the
# password), the lock and the activation socket (they live as long as the program), with size,
# time, mode and content.
snapshot_files() {
    (cd "$DATA" && ls -A | grep -vx -e 'Keywarden.ini' -e 'keywarden.lock' -e 'keywarden.socket' &&
        stat -c '%n %s %y %A' "$kUser.dat" "$kUser.bak" && sha256sum "$kUser.dat" "$kUser.bak")
}

setting() {
    sed -n "s/^$1=//p" "$DATA/Keywarden.ini" 2>/dev/null | tr -d '\r'
}

start_program() {
    (cd "$PROG" && exec ./keywarden) >>"$LOG" 2>&1 &
    APP_PID=$!
}

app_ended() {
    ! kill -0 "$APP_PID" 2>/dev/null
}

# Waits for the program to end and checks its exit status.
expect_program_end() {
    poll 30 app_ended || fail "the program did not end"
    wait "$APP_PID"
    local status=$?
    APP_PID=""
    [ "$status" -eq "$1" ] || fail "the program ended with status $status, expected $1"
}

popup_count() {
    xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l
}

popup_opened() {
    [ "$(popup_count)" -gt "$1" ]
}

# The controls, in twips (left, top, width, height) as the windows place them.
readonly kCombo1="1200 195 1700 315"               # the name part, clear of the drop-down button
readonly kCboAccount="1005 180 2400 315"           # the edit part, clear of the drop-down button
readonly kTxtAccount="1005 180 3465 315"
readonly kCommand2="4200 1020 270 285"
readonly kLblComment="120 1905 900 210"
readonly kCmdAddNew="1095 3285 1650 345"
readonly kCmdEdit="2760 3285 1650 345"
readonly kCmdDelete="1095 3660 1650 345"
readonly kCmdSave="2760 3660 1650 345"
readonly kPicLogoff="345 3525 375 375"             # inside Picture1, clear of its frame
readonly kEditSave="2400 3285 1995 405"

# The new entry dialog: fields by Tab from the account name, then Speichern.
add_entry() {
    local main="$1"
    click "$main" $kCmdAddNew
    wait_window "$kEditTitle"
    local dialog="$WIN"
    window_gone "$kMainTitle" || fail "the main window stays visible behind the new-entry dialog"
    focus_window "$dialog"
    type_text "$2"
    keys Tab
    type_text "$3"
    keys Tab
    type_text "$4"
    keys Tab
    type_text "$5"
    keys Tab
    local first=1 line
    while IFS= read -r line; do
        [ $first -eq 1 ] || keys Return
        first=0
        type_text "$line"
    done <<<"$6"
    shot "new-entry-$3"
    click "$dialog" $kEditSave
    wait_gone "$kEditTitle"
    wait_window "$kMainTitle"
}

# Picks an account in the main window's list with keys: a first letter, or Up and Down.
select_account() {
    focus_window "$1"
    click "$1" $kCboAccount
    keys "${@:2}"
}

# Edits the shown entry just far enough to read its name, then cancels.
expect_shown_account() {
    click "$1" $kCmdEdit
    expect_field_text "$1" "$2" $kTxtAccount
    click "$1" $kCmdEdit
}

###############################################################################
step "window manager"
openbox --sm-disable >>"$RUN/openbox.log" 2>&1 &
WM_PID=$!
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
poll 30 wm_ready || fail "openbox did not start: $(cat "$RUN/openbox.log")"
# A German keyboard has the umlauts on keys of their own; xdotool would otherwise remap a key for
# each one while the program types, and a key pressed before the program saw the new map is lost.
setxkbmap de || fail "no German keyboard layout"

###############################################################################
step "1 start: login window, a second copy ends at once"
start_program
wait_window "$kLoginTitle"
login=$WIN
client_geometry "$login"
PX_WIDTH=$GW
[ "$PX_WIDTH" -gt 0 ] || fail "the login window has no width"
shot "login"
# The second copy must end by itself, quickly, without ever showing a window of its own.
(cd "$PROG" && exec ./keywarden) >>"$LOG" 2>&1 &
second=$!
started=$SECONDS
while kill -0 "$second" 2>/dev/null; do
    [ "$(visible_windows "$kLoginTitle" | wc -l)" -le 1 ] || fail "a second login window appeared"
    [ $((SECONDS - started)) -lt 20 ] || { kill "$second"; fail "the second copy keeps running"; }
    sleep 0.05
done
wait "$second"
second_status=$?
[ "$second_status" -eq 0 ] || fail "the second copy ended with status $second_status"
[ "$(visible_windows "$kLoginTitle" | wc -l)" -eq 1 ] || fail "not exactly one login window"
kill -0 "$APP_PID" 2>/dev/null || fail "the first copy ended too"
# The running copy holds the lock beside the stores.
[ -e "$DATA/keywarden.lock" ] || fail "no keywarden.lock beside the stores"
shot "second-start"

###############################################################################
step "2 new user '$kUser'"
[ -z "$(ls "$DATA"/*.dat 2>/dev/null)" ] || fail "the data folder is not fresh"
focus_window "$login"
click "$login" $kCombo1
type_text "$kUser"
# Enter in the name moves on to the password box; Enter there logs in.
keys Return
type_text "$kOldPass"
keys Return
wait_window "$kMessageTitle"
notice=$WIN
shot "new-user-notice"
# The notice and the confirmation come before anything is written: no placeholder, no name remembered.
[ ! -e "$DATA/$kUser.dat" ] || fail "$kUser.dat was created before the notice was acknowledged"
[ -z "$(setting DefaultUser)" ] || fail "DefaultUser is '$(setting DefaultUser)' before the confirmation"
focus_window "$notice"
keys Return
wait_window "$kConfirmTitle"
shot "confirm-master-password"
[ ! -e "$DATA/$kUser.dat" ] || fail "$kUser.dat was created before the master password was confirmed"
focus_window "$WIN"
type_text "$kOldPass"
keys Return
wait_window "$kMainTitle"
main=$WIN
wait_gone "$kLoginTitle"
shot "main-window"
[ "$(setting DefaultUser)" = "$kUser" ] || fail "DefaultUser is '$(setting DefaultUser)'"
poll 10 test -e "$DATA/$kUser.dat" || fail "no $kUser.dat"
printf '\r\n' >"$RUN/placeholder"
cmp -s "$RUN/placeholder" "$DATA/$kUser.dat" || fail "$kUser.dat is not the 2-byte placeholder: $(od -c "$DATA/$kUser.dat")"
no_working_copy || fail "a working copy lies on disk after the login"

###############################################################################
step "3 two entries through the new-entry dialog"
readonly kBaer='[Baer]\r\nUser=anna\r\nPass=Geh3im!x\r\nWeb=www.example.org\r\nComment=Zeile 1#\247Zeile 2\r\n'
add_entry "$main" "Bär" "anna" 'Geh3im!x' "www.example.org" $'Zeile 1\nZeile 2'
expect_at_rest
expect_store "$DATA/$kUser.dat" "$kOldPass" '[Main]\r\nCount=1\r\nAccount1=B\344r\r\n'"$kBaer"
shot "first-entry-saved"

readonly kPost='[Post]\r\nUser=kunde7\r\nPass=pw-Post1\r\nWeb=\r\nComment=\r\n'
wait_window "$kMainTitle"
main=$WIN
add_entry "$main" "Post" "kunde7" "pw-Post1" "" ""
expect_at_rest
expect_store "$DATA/$kUser.dat" "$kOldPass" \
    '[Main]\r\nCount=2\r\nAccount1=B\344r\r\nAccount2=Post\r\n'"$kBaer$kPost"
shot "second-entry-saved"

###############################################################################
step "4 copy the password: on the clipboard with the secret hint, empty after the countdown"
select_account "$main" b
client_geometry "$main"
full_height=$GH
timeout 5 xclip -i -selection clipboard </dev/null
click "$main" $kCommand2
poll 10 clipboard_is 'Geh3im!x' || fail "the clipboard holds '$(clipboard)' instead of the password"
copied_ms=$(date +%s%3N)
clipboard -t TARGETS | grep -qx 'x-kde-passwordManagerHint' ||
    fail "no secret hint among the clipboard's formats: $(clipboard -t TARGETS | tr '\n' ' ')"
hint="$(clipboard -t x-kde-passwordManagerHint)"
[ "$hint" = "secret" ] || fail "the secret hint reads '$hint'"
# The countdown strip makes the window 360 twips higher (4950 instead of 4590).
strip_shown() {
    client_geometry "$main"
    [ "$GH" -ge $((full_height + $(twips 360) - 1)) ]
}
strip_gone() {
    client_geometry "$main"
    [ "$GH" -eq "$full_height" ]
}
poll 10 strip_shown || fail "the countdown strip does not show (client height $GH, $full_height before)"
shot "countdown"
poll 40 clipboard_empty || fail "the clipboard still holds '$(clipboard)' long after the countdown"
held_ms=$(( $(date +%s%3N) - copied_ms ))
echo "  the password stayed on the clipboard for ${held_ms} ms"
[ "$held_ms" -ge 18000 ] || fail "the clipboard was emptied after only ${held_ms} ms"
shot "clipboard-cleared"
poll 15 strip_gone || fail "the countdown strip stays (client height $GH, $full_height before)"

###############################################################################
step "5 rename one entry, delete the other, log off, log in again"
readonly kPostbank='[Postbank]\r\nUser=kunde7\r\nPass=pw-Post1\r\nWeb=\r\nComment=\r\n'
select_account "$main" p
click "$main" $kCmdEdit
# Reading the name leaves it selected, so typing replaces it.
expect_field_text "$main" "Post" $kTxtAccount
type_text "Postbank"
shot "rename"
click "$main" $kCmdSave
poll 10 store_holds "$DATA/$kUser.dat" "$kOldPass" "[Postbank]" || fail "the renamed entry was not stored"
expect_at_rest
expect_store "$DATA/$kUser.dat" "$kOldPass" \
    '[Main]\r\nCount=2\r\nAccount1=B\344r\r\nAccount2=Postbank\r\n'"$kBaer$kPostbank"

select_account "$main" b
click "$main" $kCmdDelete
wait_window "$kMessageTitle"
question=$WIN
shot "delete-question"
focus_window "$question"
keys Return
wait_gone "$kMessageTitle"
poll 10 store_lacks "$DATA/$kUser.dat" "$kOldPass" "[Baer]" || fail "the deleted entry is still stored"
expect_at_rest
# The list section follows at logoff.
expect_store "$DATA/$kUser.dat" "$kOldPass" '[Main]\r\nCount=2\r\nAccount1=B\344r\r\nAccount2=Postbank\r\n'"$kPostbank"

focus_window "$main"
client_geometry "$main"
place_before_logoff="$GX,$GY"
click "$main" $kPicLogoff
wait_window "$kLoginTitle"
login=$WIN
wait_gone "$kMainTitle"
shot "logged-off"
expect_at_rest
readonly kAfterLock='[Main]\r\nCount=1\r\nAccount1=Postbank\r\nAccount2=Postbank\r\n'"$kPostbank"
expect_store "$DATA/$kUser.dat" "$kOldPass" "$kAfterLock"
[ -n "$(setting Top)" ] && [ -n "$(setting Left)" ] || fail "the logoff did not store the window's place"

# The remembered user is preselected; Enter in the name moves on to the password.
focus_window "$login"
expect_field_text "$login" "$kUser" $kCombo1
keys Return
type_text "$kOldPass"
keys Return
wait_window "$kMainTitle"
main=$WIN
wait_gone "$kLoginTitle"
shot "logged-in-again"
client_geometry "$main"
[ "$GX,$GY" = "$place_before_logoff" ] || fail "the main window came back at $GX,$GY, not at $place_before_logoff"
# The first and the last item of the list are the same: exactly one entry.
select_account "$main" Down
expect_shown_account "$main" "Postbank"
select_account "$main" Down Down Down Down
expect_shown_account "$main" "Postbank"

###############################################################################
step "6 change the master password, then old and new password at the login"
focus_window "$main"
menus_before=$(popup_count)
click "$main" $kLblComment 3
poll 10 popup_opened "$menus_before" || fail "no context menu on the right click"
shot "context-menu"
keys Down Return
wait_window "$kMasterTitle"
master=$WIN
window_gone "$kMainTitle" || fail "the main window stays visible behind the master password dialog"
focus_window "$master"
type_text "$kNewPass"
keys Return
# The new password typed a second time before the question.
wait_window "$kConfirmTitle"
focus_window "$WIN"
type_text "$kNewPass"
keys Return
wait_window "$kMessageTitle"
shot "change-question"
focus_window "$WIN"
keys Return
wait_gone "$kMasterTitle"
wait_window "$kMainTitle"
main=$WIN
no_working_copy || fail "a working copy lies on disk after the change"
expect_store "$DATA/$kUser.dat" "$kNewPass" "$kAfterLock"
expect_store "$DATA/$kUser.bak" "$kOldPass" "$kAfterLock"
dump_store "$DATA/$kUser.dat" "$kOldPass" >/dev/null && fail "$kUser.dat still opens with the old password"

focus_window "$main"
click "$main" $kPicLogoff
wait_window "$kLoginTitle"
login=$WIN
wait_gone "$kMainTitle"
expect_at_rest
snapshot_files >"$RUN/files-before"

focus_window "$login"
type_text "$kOldPass"
keys Return
wait_window "$kMessageTitle"
shot "wrong-password"
focus_window "$WIN"
keys Return
expect_program_end 1
[ ! -e "$DATA/keywarden.lock" ] || fail "the program ended and left its lock"
snapshot_files >"$RUN/files-after"
cmp -s "$RUN/files-before" "$RUN/files-after" ||
    fail "the wrong password changed files: $(diff "$RUN/files-before" "$RUN/files-after")"

start_program
wait_window "$kLoginTitle"
login=$WIN
focus_window "$login"
type_text "$kNewPass"
keys Return
wait_window "$kMainTitle"
main=$WIN
wait_gone "$kLoginTitle"
select_account "$main" Down
expect_shown_account "$main" "Postbank"
shot "new-password-opens"
expect_store "$DATA/$kUser.bak" "$kOldPass" "$kAfterLock"

###############################################################################
step "7 close the main window by its title bar"
focus_window "$main"
client_geometry "$main"
frame_left=$((GX - FL))
frame_top=$((GY - FT))
# The close button is the last one on the right of the title bar, about as wide as the bar is high.
xdotool mousemove $((GX + GW + FR - FT / 2)) $((GY - FT / 2))
shot "close-button"
xdotool click 1
expect_program_end 0
expect_at_rest
# The settings hold the frame's top-left corner in twips; one pixel of rounding is allowed.
near_twips() {
    awk -v t="$1" -v px="$2" -v w="$PX_WIDTH" 'BEGIN { d = t - px * 4650 / w; exit !(t != "" && d * d <= 4650 * 4650 / (w * w)) }'
}
near_twips "$(setting Top)" "$frame_top" || fail "Top is '$(setting Top)', the window's frame stood at y = $frame_top px"
near_twips "$(setting Left)" "$frame_left" || fail "Left is '$(setting Left)', the window's frame stood at x = $frame_left px"
[ "$(setting CompactMode)" = "0" ] || fail "CompactMode is '$(setting CompactMode)'"
[ "$(ls -A "$PROG")" = "keywarden" ] || fail "the program folder holds more than the program: $(ls -A "$PROG")"

PASSED=1
echo "PASS in $SECONDS s; screenshots in $kShots"
exit 0
