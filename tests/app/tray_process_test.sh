#!/usr/bin/env bash
# Drives the real tray program under Xvfb: single instance, exit on SIGTERM with the Main
# section written, the auto-change state kept, and the folder error instead of a crash.
set -u
exe=${1:?usage: tray_process_test.sh path/to/tapestra}
command -v Xvfb >/dev/null || { echo "Xvfb missing: skipped"; exit 77; }

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  pkill -KILL -f "$work" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

passes=0
failures=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then
    echo "ok   $name"; passes=$((passes + 1))
  else
    echo "FAIL $name"; failures=$((failures + 1))
  fi
}

# Starts the program with a configuration folder; waits until it holds the lock.
start() {
  export XDG_CONFIG_HOME=$1
  "$exe" >"$work/stderr.log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    ls "$XDG_RUNTIME_DIR"/*.lock >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.5
}

stop() {
  kill -TERM "$pid"
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$pid" 2>/dev/null
}

ini() { cat "$XDG_CONFIG_HOME/ZENTRO/Tapestra/tapestra.ini"; }

# 1. A second start exits at once with status 0; SIGTERM writes the six Main keys in order.
start "$work/cfg1"
check "first instance runs" kill -0 "$pid"
begin=$(date +%s%N)
timeout 2 "$exe"; second=$?
elapsed_ms=$(( ($(date +%s%N) - begin) / 1000000 ))
check "second start exits 0 (${elapsed_ms} ms)" test "$second" -eq 0 -a "$elapsed_ms" -lt 2000
check "SIGTERM ends the program" stop
keys=$(ini | sed -n '/^\[Main\]/,/^\[/p' | grep = | cut -d= -f1 | tr '\n' ' ')
check "Main keys in order: $keys" test "$keys" = "CurrentPictureNo CurrentPicture AutoChange ShowCalendar ShowClock AllCategories "

# 2. AutoChange=1 in hourly mode survives a start and a SIGTERM.
mkdir -p "$work/cfg2/ZENTRO/Tapestra"
printf '[Main]\nAutoChange=1\n[Auto]\nChangeHr=1\nChangeOS=0\n' > "$work/cfg2/ZENTRO/Tapestra/tapestra.ini"
start "$work/cfg2"
check "second configuration: SIGTERM ends the program" stop
check "AutoChange stays 1" grep -qx 'AutoChange=1' <(ini)
check "Auto section left as it was" grep -qx 'ChangeHr=1' <(ini)

# 3. A plain file where the data folder should be: the folder error, not a crash — once at
# start (no library can be made there) and again when the exit sequence writes.
mkdir -p "$work/cfg3/ZENTRO"
echo "not a folder" > "$work/cfg3/ZENTRO/Tapestra"
export XDG_CONFIG_HOME="$work/cfg3"
"$exe" >"$work/stderr.log" 2>&1 &
pid=$!
box() {  # the id of the first window titled Tapestra, waiting up to 5 s
  for _ in $(seq 50); do
    local id
    id=$(xdotool search --onlyvisible --name '^Tapestra$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
if command -v xdotool >/dev/null; then
  id=$(box)
  check "folder error shown at start" test -n "$id"
  check "still running while the box is open (no crash)" kill -0 "$pid"
  [ -n "$id" ] && xdotool windowfocus --sync "$id" key Return 2>/dev/null
  sleep 0.5
  check "runs on after the box" kill -0 "$pid"
  kill -TERM "$pid"
  check "folder error shown again on exit" test -n "$(box)"
fi
check "the plain file is untouched" grep -qx 'not a folder' "$work/cfg3/ZENTRO/Tapestra"
kill -KILL "$pid" 2>/dev/null
wait "$pid" 2>/dev/null

# 4. A library file that is not a database: its message, then the exit sequence; the file is
# left as it was.
mkdir -p "$work/cfg4/ZENTRO/Tapestra"
head -c 4096 /dev/urandom > "$work/cfg4/ZENTRO/Tapestra/Lumeno.sdb"
before=$(md5sum < "$work/cfg4/ZENTRO/Tapestra/Lumeno.sdb")
export XDG_CONFIG_HOME="$work/cfg4"
"$exe" >"$work/stderr.log" 2>&1 &
pid=$!
if command -v xdotool >/dev/null; then
  id=$(box)
  check "library error shown" test -n "$id"
  [ -n "$id" ] && xdotool windowfocus --sync "$id" key Return 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  check "the program ends after the library error" bash -c "! kill -0 $pid 2>/dev/null"
  wait "$pid"; status=$?
  check "and exits normally (status $status)" test "$status" -eq 0
  check "Main section written on the way out" grep -qx 'AutoChange=0' "$work/cfg4/ZENTRO/Tapestra/tapestra.ini"
fi
check "the library file is untouched" test "$(md5sum < "$work/cfg4/ZENTRO/Tapestra/Lumeno.sdb")" = "$before"
kill -KILL "$pid" 2>/dev/null

echo "tray process: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
