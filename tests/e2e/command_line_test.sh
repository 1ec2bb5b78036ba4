#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The built program's --help, --version and a wrong option, with no display
# at all: they are answered before anything needs one. Then runs without a
# window (--shred, --wipe-free-space), with no display either: their exit
# statuses, lines, a stop signal, and the progress line on a terminal only.
#
#   command_line_test.sh PATH/TO/velmora
set -uo pipefail
program="$(realpath "$1")"
fail() { echo "FAIL: $*"; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$@"; }

out="$(run --help 2>&1)"
rc=$?
[ "$rc" = 0 ] || fail "--help ended with $rc: $out"
[ "$(head -1 <<<"$out")" = "Usage: velmora [options] [PATH...]" ] || fail "--help printed: $out"
out="$(run -v /some/path 2>&1)"
rc=$?
[ "$rc" = 0 ] && [ "$out" = "velmora 1.0" ] || fail "-v ended with $rc: $out"
out="$(run --help 2>/dev/null >/dev/null; run --no-such-option 2>&1 >/dev/null)"
rc=$?
[ "$rc" = 2 ] || fail "a wrong option ended with $rc"
[ "$out" = "velmora: Unknown option 'no-such-option'."$'\n'"Try 'velmora --help' for more information." ] ||
  fail "a wrong option printed: $out"
echo "--help, --version and a wrong option need no display"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# No display, and a settings folder of the test's own.
no_display=(env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY= XDG_CONFIG_HOME="$tmp/config")
cli() { "${no_display[@]}" "$@"; }
# expect STATUS STDOUT STDERR ARG...: a run of the program with ARG...
expect() {
  local want_rc="$1" want_out="$2" want_err="$3" out err rc
  shift 3
  out="$(cli "$program" "$@" 2>"$tmp/err")"
  rc=$?
  err="$(cat "$tmp/err")"
  [ "$rc" = "$want_rc" ] && [ "$out" = "$want_out" ] && [ "$err" = "$want_err" ] ||
    fail "velmora $*: status $rc, stdout [$out], stderr [$err]"
}
d="$tmp/d"
mkdir -p "$d/sub" "$tmp/bin"
echo a >"$d/a"; echo b >"$d/b"; echo x >"$d/sub/x"; mkfifo "$d/fifo"; ln -s a "$d/link"
expect 1 "" "$d/fifo (not a regular file)
$d/link (a link)
$d/sub (a folder: use --folders)
$d/missing (not found)" --shred "$d/a" "$d/fifo" "$d/link" "$d/sub" "$d/missing"
[ ! -e "$d/a" ] && [ -p "$d/fifo" ] && [ -L "$d/link" ] && [ -f "$d/sub/x" ] || fail "--shred left the wrong things"
expect 1 "" "$d/b (not a folder: leave out --folders)" --shred --folders "$d/b"
expect 0 "shredded: $d/sub" "" --shred --folders --verbose --passes 1 "$d/sub"
(cd "$d" && expect 0 "" "" --shred --technique random-chars b) || exit 1
[ ! -e "$d/b" ] && [ ! -e "$d/sub" ] || fail "--shred did not shred"
usage="Usage: velmora --shred [--folders] [--passes N] [--technique ones-and-zeros|random-chars] [--verbose] PATH...
       velmora --wipe-free-space FOLDER"
expect 2 "" "velmora: no path given
$usage" --shred
expect 2 "" "velmora: --passes takes 1, 2, 3, 5, 7 or 10, not '4'
$usage" --shred --passes 4 "$d/fifo"
# The rules, on a copy of the program in a folder of its own.
cp "$program" "$tmp/bin/velmora"
program="$tmp/bin/velmora" expect 1 "" "$tmp/bin/velmora (Velmora Application Cannot Be Shredded)" \
  --shred "$tmp/bin/velmora"
program="$tmp/bin/velmora" expect 1 "" "$tmp/bin (Velmora Cannot Be Shredded)" --shred --folders "$tmp/bin"
expect 1 "" "$d/missing cannot be opened (No such file or directory): its free space was not wiped." \
  --wipe-free-space "$d/missing"
echo "--shred and --wipe-free-space: statuses and lines, without a display"

# SIGTERM while the first of two files is being written: the second stays.
head -c 256M /dev/zero >"$d/big"
echo s >"$d/small"
"${no_display[@]}" "$program" --shred "$d/big" "$d/small" 2>"$tmp/err" &
pid=$!
while kill -0 "$pid" 2>/dev/null && [ "$(awk '/^wchar/ { print $2 }' "/proc/$pid/io" 2>/dev/null || echo 0)" -lt 4194304 ]; do
  sleep 0.01
done
kill -TERM "$pid" || fail "the run ended before the signal: $(cat "$tmp/err")"
wait "$pid"
rc=$?
[ "$rc" = 143 ] || fail "SIGTERM: status $rc"
[ "$(cat "$d/small")" = s ] && grep -qx "$d/small (stopped before it was reached)" "$tmp/err" &&
  grep -q "^$d/big (stopped " "$tmp/err" || fail "SIGTERM left: $(ls "$d"), said: $(cat "$tmp/err")"
echo "SIGTERM stops the run, says what was left and ends the program by it"

# The progress line: on a terminal (script(1) gives the run one), never in a pipe.
head -c 1M /dev/zero >"$d/c"
cli script -qec "'$program' --shred '$d/c'" /dev/null >"$tmp/tty" || fail "on a terminal: $(cat "$tmp/tty")"
grep -q $'\rShredding' "$tmp/tty" || fail "no progress line on a terminal: $(cat -A "$tmp/tty")"
echo "the progress line shows on a terminal only"
