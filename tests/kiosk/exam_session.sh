#!/usr/bin/env bash
# The exam session for real: the installed session script starts cage headless as an ordinary
# user with the program in exam mode; a student signs in, opens a test, its unit converter and
# information page, ends it and presses QUIT, which must end cage. No keyboard reaches a
# headless cage 0.1.4 (it has no virtual keyboard), so the steps come from the program's
# test-only drill file (EXAMORA_DRILL). The program's own protocol log shows every window of
# its own drawn as large as the output; grim takes a screenshot of the session.
#
# Usage: exam_session.sh SESSION_SCRIPT EXAMORA EXAMORA_CLI ACCESS_CODE WEBROOT SHOTS_DIR
# Exit 77 (skipped) where cage, grim, Qt's Wayland plugin or an ordinary user is missing.
set -uo pipefail
session=$(realpath "$1") program=$(realpath "$2") cli=$(realpath "$3") access_code=$(realpath "$4")
webroot=$(realpath "$5") shots=$6
here=$(cd "$(dirname "$0")" && pwd)
width=1280 height=720  # wlroots' headless output

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; [ -f "$work/session.log" ] && grep -v '^\[' "$work/session.log" | tail -n 30; exit 1; }

for tool in cage grim /usr/bin/python3; do
  command -v "$tool" >/dev/null || skip "$tool is missing (apt-get install cage grim xwayland qt6-wayland)"
done
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null ||
  skip "Qt's Wayland platform plugin is missing (apt-get install qt6-wayland)"

work=$(mktemp -d /tmp/examora-kiosk-XXXXXX)
mkdir -p "$shots"
account=$(id -un)
made_account=
cleanup() {
  [ -n "${cage_pid:-}" ] && kill "$cage_pid" 2>/dev/null
  # runuser does not pass the signal on: the throwaway account's own processes end with it.
  [ -n "$made_account" ] && pkill -KILL -u "$made_account" 2>/dev/null && sleep 0.5
  [ -n "${cage_pid:-}" ] && wait "$cage_pid" 2>/dev/null
  [ -n "$made_account" ] && userdel "$made_account" 2>/dev/null
  [ -n "${KEEP_KIOSK_WORK:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM  # the account and the session go, however the test ends

# cage refuses to run as root: as root, a throwaway account runs the session.
if [ "$(id -u)" -eq 0 ]; then
  command -v useradd >/dev/null && command -v runuser >/dev/null ||
    skip "running as root without useradd and runuser: no ordinary user to run cage"
  made_account=exkiosk$$
  useradd -M -N -g users -d "$work/home" -s /bin/sh "$made_account" ||
    skip "could not make an ordinary account for cage"
  account=$made_account
  for path in "$program" "$session" "$webroot"; do
    runuser -u "$account" -- test -r "$path" ||
      skip "$path is not readable by other users (the build tree must be open to them)"
  done
fi

# The session script runs the program installed beside it, as in /usr/bin.
mkdir -p "$work/bin" "$work/home" "$work/run" \
  "$work/drive/~Glimmerfold Do not delete/MC/student_files/subject_files"
cp "$session" "$work/bin/examora-exam-session"
ln -s "$program" "$work/bin/examora"
chmod 0700 "$work/run"
printf '123456789,AB12,Ann,Able\r\n\r\n' >"$work/class.txt"
"$cli" students encrypt "$work/class.txt" --folder "$work/drive" -o "$work/std_crypt.eqb" \
  >/dev/null || fail "could not make the class list"
# A student's way through, as they would click it (Circuits: a test that may be ended early);
# the access code is good for five minutes.
cat >"$work/drill.txt" <<STEPS
type txtName 123456789
answer AB12
click cmdGo
choose List1 1
type txtPassword $("$access_code")
click cmdRunTest
click cmdGO
click cmdConvert
click cmdInfo
click cmdQuit
press Yes
click cmdQuitAll
STEPS
# The session takes its settings from the computer's files alone (a student's variables are
# ignored there), so the test's computer names them in a system folder of its own.
mkdir -p "$work/etc/examora"
printf 'web-base = %s\nstudents = %s\n[drives]\nC = %s\nR = %s\n' "$webroot" \
  "$work/std_crypt.eqb" "$work/drive" "$work/drive" >"$work/etc/examora/examora.conf"
chown -R "$account" "$work"
chmod 0755 "$work"

as_student() {
  local run=(env -i PATH="$work/bin:/usr/bin:/bin" HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
    LANG=C.UTF-8 "$@")
  if [ -n "$made_account" ]; then runuser -u "$account" -- "${run[@]}"; else "${run[@]}"; fi
}

as_student WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  WAYLAND_DEBUG=client EXAMORA_DRILL="$work/drill.txt" XDG_CONFIG_DIRS="$work/etc" \
  EXAMORA_KEEPER=none examora-exam-session >"$work/session.log" 2>&1 &
cage_pid=$!

for _ in $(seq 100); do [ -S "$work/run/wayland-0" ] && break; sleep 0.1; done
[ -S "$work/run/wayland-0" ] || fail "cage did not start"
for _ in $(seq 100); do grep -q "drill: type txtName" "$work/session.log" && break; sleep 0.2; done
as_student WAYLAND_DISPLAY=wayland-0 grim "$work/exam-session.png" || fail "grim took no screenshot"
cp "$work/exam-session.png" "$shots/" 2>/dev/null
/usr/bin/python3 - "$work/exam-session.png" $width $height <<'PY' || fail "the screenshot is not the output's"
import struct, sys
data = open(sys.argv[1], "rb").read()
size = struct.unpack(">II", data[16:24])
sys.exit(0 if data[:8] == b"\x89PNG\r\n\x1a\n" and size == (int(sys.argv[2]), int(sys.argv[3]))
         else f"{sys.argv[1]}: {size}")
PY

# QUIT, the last step, must end the program and with it cage.
for _ in $(seq 600); do kill -0 "$cage_pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$cage_pid" 2>/dev/null; then
  fail "the session is still running 2 minutes on: $(grep 'drill:' "$work/session.log" | tail -n 1)"
fi
wait "$cage_pid"
status=$?
cage_pid=
grep -q "drill: click cmdQuitAll" "$work/session.log" || fail "the session ended before QUIT"
[ "$status" -eq 0 ] || fail "cage ended with status $status"
/usr/bin/python3 "$here/window_sizes.py" "$work/session.log" $width $height || fail "window sizes"
echo "QUIT ended the exam session; every window of the program's own filled the output"
