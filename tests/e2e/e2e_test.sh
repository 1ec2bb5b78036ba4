#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end, as a user meets Velmora: the built program in a real X server
# (Xvfb), driven by real input events (xdotool), with Qt's real file dialog
# and folder chooser. The shell opener is a stub that records addresses.
#
#   e2e_test.sh PATH/TO/velmora [FAREWELL_ADDRESS]
set -uo pipefail

program="$1"
farewell="${2:-}"  # the address the build was configured with; none by default
SKIP=77
for tool in Xvfb xdotool sha256sum; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed; no X server can be started"; exit $SKIP; }
done

work="$(mktemp -d /tmp/velmora-e2e-XXXXXX)"
xvfb_pid=""
cleanup() {
  pkill -P $$ -f "$work/prog/velmora" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
passes=0
check() {  # check "what" command...
  local what="$1"; shift
  if "$@"; then passes=$((passes + 1)); echo "ok: $what"
  else failures=$((failures + 1)); echo "FAIL: $what"; fi
}
# Waits for a condition the program brings about; the deadline only guards
# against a hang, it measures nothing.
wait_for() {
  local i
  for i in $(seq 1 200); do "$@" && return 0; sleep 0.1; done
  return 1
}

# ---- An X server of our own ---------------------------------------------
# -noreset: the server stays as it is when the last program leaves it.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null)
xvfb_pid=$!
read -r -t 20 display <&3 || { echo "SKIP: Xvfb did not start"; exit $SKIP; }
export DISPLAY=":$display"
echo "Xvfb on $DISPLAY"

# ---- A user of our own ---------------------------------------------------
mkdir -p "$work"/{home,run,config/Velmora,state,bin,prog,data}
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
printf '[General]\nLastUpdate=%s\n' "$(date +%F)" > "$work/config/Velmora/Velmora.conf"
opened="$work/opened.txt"
: > "$opened"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' "$opened" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH" BROWSER="$work/bin/xdg-open"
cp "$program" "$work/prog/velmora"
note="$work/prog/note.txt"

# What the user will shred, and what must survive it.
data="$work/data"
mkdir -p "$data/docs" "$data/tree/sub/nested" "$data/outside"
head -c 3000 /dev/urandom > "$data/docs/a.txt"
head -c 70000 /dev/urandom > "$data/docs/b.txt"
head -c 5000 /dev/urandom > "$data/docs/stays.txt"
head -c 12345 /dev/urandom > "$data/alone.bin"
head -c 4096 /dev/urandom > "$data/tree/top"
head -c 100 /dev/urandom > "$data/tree/sub/nested/deep"
head -c 200 /dev/urandom > "$data/tree/sub/readonly"
chmod 0444 "$data/tree/sub/readonly"
head -c 999 /dev/urandom > "$data/outside/target"
ln -s "$data/outside/target" "$data/tree/sub/link-out"
ln -s "$data/outside" "$data/tree/folder-link"
before_outside="$(cd "$data" && sha256sum outside/target docs/stays.txt)"

# ---- The window ----------------------------------------------------------
# Starts the program (from the data folder, with the arguments given) and
# waits for its window; sets app_pid, main_window and the client's origin.
start_velmora() {
  (cd "$data" && exec "$work/prog/velmora" "$@") >> "$work/app.log" 2>&1 &
  app_pid=$!
  main_window=""
  wait_for bash -c "xdotool search --onlyvisible --pid $app_pid --name '^Velmora v1\\.0\$' >/dev/null" &&
    main_window="$(xdotool search --onlyvisible --pid "$app_pid" --name '^Velmora v1\.0$' | head -1)"
  [ -n "$main_window" ] || { echo "FAIL: the window never appeared"; cat "$work/app.log"; exit 1; }
  eval "$(xdotool getwindowgeometry --shell "$main_window")"
  menu_height=$((HEIGHT - 283))
  win_x=$X win_y=$((Y + menu_height))
}
ended() { wait_for bash -c "! kill -0 $app_pid 2>/dev/null"; }
# How many times the farewell page was asked for: once per close with an
# address, never without one (then nothing at all is opened on a close).
farewells() {
  if [ -n "$farewell" ]; then grep -cxF "$farewell" "$opened"; else grep -c '^https\?:' "$opened"; fi
}
per_close() { [ -n "$farewell" ] && echo "$1" || echo 0; }

start_velmora

# Client coordinates of the controls: the page starts at x 175.
click() { xdotool mousemove --sync $((win_x + $1)) $((win_y + $2)) click 1; sleep 0.2; }
click_OptFolder() { click 215 120; }
click_OptFile() { click 215 149; }
click_cmdNext() { click 445 260; }
click_cmdAdd() { click 291 156; }
click_cmdRemove() { click 335 220; }
click_cmdLog() { click 330 104; }
click_cmdBack1() { click 219 260; }
click_cmdFinish() { click 445 260; }

dialog() {  # waits for a dialog by title and types into its focused field
  local title="$1"; shift
  local w
  w="$(xdotool search --sync --onlyvisible --name "$title" | head -1)"
  xdotool windowfocus --sync "$w" 2>/dev/null
  sleep 0.3  # until the dialog has put the keyboard in its name field
  for text in "$@"; do
    xdotool type --delay 2 "$text"
    xdotool key Return
    sleep 0.4
  done
  wait_for bash -c "! xdotool search --onlyvisible --name '$title' >/dev/null"
}

# File mode: two files chosen together, one alone.
click_OptFile
click_cmdNext
click_cmdAdd
dialog '^Choose A File \.\.\.\.$' "$data/docs" '"a.txt" "b.txt"'
click_cmdAdd
dialog '^Choose A File \.\.\.\.$' "$data/alone.bin"
click_cmdRemove
wait_for test -e "$note"
check "the chosen files are gone" wait_for bash -c "! ls '$data/docs/a.txt' '$data/docs/b.txt' '$data/alone.bin' 2>/dev/null"
expected_tail="$(printf 'Technique Used: Ones and Zeros\r\nFiles Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n%s\r\n%s\r\n%s\r' \
  "$data/docs/a.txt" "$data/docs/b.txt" "$data/alone.bin")"
check "note.txt lists the three paths" test "$(tail -n +5 "$note")" = "$expected_tail"
check "note.txt starts with the title and ends lines with CR LF" \
  bash -c "head -1 '$note' | od -c | head -1 | grep -q 'V   e   l   m   o   r   a  \\\\r  \\\\n'"
click_cmdLog
check "See Velmora Report hands the report to the shell" wait_for grep -qx "file://$note" "$opened"
click_cmdBack1
check "Back deletes the report" wait_for bash -c "! test -e '$note'"

# Folder mode: a tree with nested folders, a read-only file and links out.
click_OptFolder
click_cmdNext
click_cmdAdd
dialog '^Find Directory$' "$data/tree"
click_cmdRemove
wait_for test -e "$note"
check "the chosen folder is gone" wait_for bash -c "! test -e '$data/tree'"
check "everything outside is unchanged byte for byte" \
  test "$(cd "$data" && sha256sum outside/target docs/stays.txt)" = "$before_outside"
expected_tail="$(printf 'Technique Used: Ones and Zeros\r\nFiles Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n%s\r' "$data/tree")"
check "note.txt names the folder" test "$(tail -n +5 "$note")" = "$expected_tail"

# A second copy, started with a path as a file manager would, hands it to the
# running copy and ends by itself without a box; the running copy lists it.
head -c 6000 /dev/urandom > "$data/docs/handed.txt"
(cd "$data/docs" && exec "$work/prog/velmora" handed.txt) > "$work/second.log" 2>&1 &
second_pid=$!
check "the second copy with a path ends by itself" wait_for bash -c "! kill -0 $second_pid 2>/dev/null"
wait "$second_pid"
check "and ends well" test "$?" = 0
check "the second copy showed no box" \
  bash -c "! xdotool search --all --onlyvisible --name '^Velmora\$' >/dev/null"
check "the first copy keeps running" kill -0 "$app_pid"
check "the handed path is not shredded before Shred Now" test -e "$data/docs/handed.txt"
click_cmdRemove
check "the handed path is listed and shredded by the first copy" wait_for bash -c "! test -e '$data/docs/handed.txt'"
expected_tail="$(printf 'Technique Used: Ones and Zeros\r\nFiles Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n%s\r' "$data/docs/handed.txt")"
check "note.txt names the handed path made absolute" wait_for test "$(tail -n +5 "$note" 2>/dev/null)" = "$expected_tail"

# Started without a path, the second copy is refused with its box and ends
# once the box is answered.
"$work/prog/velmora" > "$work/second.log" 2>&1 &
second_pid=$!
message="$(xdotool search --sync --all --onlyvisible --pid "$second_pid" --name '^Velmora$' | head -1)"
check "the second copy shows its message" test -n "$message"
check "the second copy shows no main window" \
  bash -c "! xdotool search --all --onlyvisible --pid $second_pid --name '^Velmora v1\\.0\$' >/dev/null"
xdotool windowfocus --sync "$message" 2>/dev/null
xdotool key Return
check "the second copy ends after OK" wait_for bash -c "! kill -0 $second_pid 2>/dev/null"
check "the first copy keeps running" kill -0 "$app_pid"
check "the first copy's report is still there" test -e "$note"
check "nothing else was shredded" test "$(cd "$data" && sha256sum outside/target docs/stays.txt)" = "$before_outside"

# "&Exit " on the result page.
click_cmdFinish
check "the program ends" wait_for bash -c "! kill -0 $app_pid 2>/dev/null"
check "Exit removes note.txt" bash -c "! test -e '$note'"
check "the farewell page was asked for as configured" wait_for test "$(farewells)" = "$(per_close 1)"

# `kill` on the result page ends the program as its Exit does.
head -c 4096 /dev/urandom > "$data/killed-after"
(cd "$data" && exec "$work/prog/velmora") > "$work/app3.log" 2>&1 &
app_pid=$!
main_window="$(xdotool search --sync --onlyvisible --name '^Velmora v1\.0$' | head -1)"
eval "$(xdotool getwindowgeometry --shell "$main_window")"
win_x=$X win_y=$((Y + menu_height))
click_OptFile
click_cmdNext
click_cmdAdd
dialog '^Choose A File \.\.\.\.$' "$data/killed-after"
click_cmdRemove
check "the file is shredded" wait_for bash -c "! test -e '$data/killed-after'"
wait_for test -e "$note"
kill -TERM "$app_pid"
check "SIGTERM ends the program" wait_for bash -c "! kill -0 $app_pid 2>/dev/null"
check "SIGTERM removes note.txt" bash -c "! test -e '$note'"
check "SIGTERM asks for the farewell page as configured" wait_for test "$(farewells)" = "$(per_close 2)"
check "SIGTERM releases the instance lock" bash -c "! ls '$XDG_RUNTIME_DIR'/velmora.lock 2>/dev/null"
check "SIGTERM removes the hand-over socket" bash -c "! test -e '$XDG_RUNTIME_DIR/velmora.socket'"
# ---- Started with paths, as the file managers' "Shred with Velmora" does --
mkdir -p "$data/cli" "$data/cli-tree/inner"
head -c 2222 /dev/urandom > "$data/cli/one.txt"
head -c 3333 /dev/urandom > "$data/cli/two words.txt"
head -c 4444 /dev/urandom > "$data/cli/stays.txt"
head -c 555 /dev/urandom > "$data/cli-tree/inner/deep"
before_stays="$(sha256sum < "$data/cli/stays.txt")"
: > "$opened"

start_velmora cli/one.txt "$data/cli/two words.txt"
sleep 0.3  # the paths are added once the window is up
check "started with two files, nothing is shredded before Shred Now" \
  test -e "$data/cli/one.txt" -a -e "$data/cli/two words.txt" -a ! -e "$note"
click_cmdRemove
wait_for test -e "$note"
check "the two files given are gone" bash -c "! ls '$data/cli/one.txt' '$data/cli/two words.txt' 2>/dev/null"
check "the file beside them is unchanged" test "$(sha256sum < "$data/cli/stays.txt")" = "$before_stays"
expected_tail="$(printf 'Technique Used: Ones and Zeros\r\nFiles Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n%s\r\n%s\r' \
  "$data/cli/one.txt" "$data/cli/two words.txt")"
check "note.txt lists the two paths made absolute" test "$(tail -n +5 "$note")" = "$expected_tail"
click_cmdFinish
check "the program ends after a run from the command line" ended

start_velmora "$data/cli-tree/"
sleep 0.3
click_cmdRemove
wait_for test -e "$note"
check "started with a folder, the folder is gone" wait_for bash -c "! test -e '$data/cli-tree'"
expected_tail="$(printf 'Technique Used: Ones and Zeros\r\nFiles Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n%s\r' "$data/cli-tree")"
check "note.txt names the folder without its trailing slash" test "$(tail -n +5 "$note")" = "$expected_tail"
click_cmdFinish
check "the program ends after the folder run" ended

# ---- Help, then Alt+E on the options page ---------------------------------
: > "$opened"
start_velmora
xdotool windowfocus --sync "$main_window" 2>/dev/null
sleep 0.3
if [ -z "$farewell" ]; then
  xdotool key alt+h o
  check "Online Help opens the user guide" wait_for grep -q '^file://.*/docs/guide\.html$' "$opened"
  : > "$opened"
  xdotool windowfocus --sync "$main_window" 2>/dev/null
  sleep 0.3
fi
xdotool key alt+e
check "Alt+E on the options page ends the program at the first press" ended
check "and asks for the farewell page as configured" wait_for test "$(farewells)" = "$(per_close 1)"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
