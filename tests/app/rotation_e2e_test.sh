#!/usr/bin/env bash
# The automatic changer from end to end, driving the real program under Xvfb with a window
# manager and an XEmbed tray: a library with one group of three pictures, auto-change on
# "at start" in list order → the first picture on the root window; "次画像" from the tray
# menu → the second; after SIGTERM the configuration points past the second picture.
set -u
exe=${1:?usage: rotation_e2e_test.sh path/to/tapestra}
for tool in Xvfb openbox trayer xdotool sqlite3 /usr/bin/convert /usr/bin/import; do
  command -v "$tool" >/dev/null || { echo "$tool missing: skipped"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -noreset -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS
openbox >/dev/null 2>&1 &
pids+=($!)
trayer --edge top --align right --widthtype pixel --width 80 --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

passes=0
failures=0
check() {
  local name=$1; shift
  if "$@"; then echo "ok   $name"; passes=$((passes + 1)); else echo "FAIL $name"; failures=$((failures + 1)); fi
}

# Three flat pictures and a library that holds them in one group.
folder="$XDG_CONFIG_HOME/ZENTRO/Tapestra"
mkdir -p "$folder" "$work/pictures"
colors=(red lime blue)
for i in 0 1 2; do /usr/bin/convert -size 64x48 "xc:${colors[$i]}" "$work/pictures/p$i.png"; done
sqlite3 "$folder/Lumeno.sdb" <<SQL
CREATE TABLE Categories (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, enabled INTEGER, "order" INTEGER);
CREATE TABLE Pictures (id INTEGER PRIMARY KEY AUTOINCREMENT, path TEXT NOT NULL, enabled INTEGER, "order" INTEGER, category_id INTEGER);
CREATE INDEX PicturesByCategory ON Pictures (category_id, "order");
INSERT INTO Categories (name, enabled, "order") VALUES ('旅行', 1, 1);
INSERT INTO Pictures (path, enabled, "order", category_id) VALUES
  ('$work/pictures/p0.png', 1, 1, 1), ('$work/pictures/p1.png', 1, 2, 1), ('$work/pictures/p2.png', 1, 3, 1);
SQL
cat > "$folder/tapestra.ini" <<INI
[Main]
CurrentPictureNo=0
AutoChange=1
[Auto]
Category=旅行
Sequential=1
Random=0
ChangeOS=1
[Settings]
WallpaperStyleNo=2
INI

# The colour in the middle of the root window, as "r,g,b".
root_color() {
  /usr/bin/import -window root -crop 1x1+400+300 -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p' | head -n 1
}
wait_color() {  # wait_color EXPECTED: up to 10 s
  for _ in $(seq 50); do [ "$(root_color)" = "$1" ] && return 0; sleep 0.2; done
  echo "  root shows $(root_color), expected $1"
  return 1
}

"$exe" >"$work/stderr.log" 2>&1 &
app=$!
pids+=($app)
check "first picture on the root window after start" wait_color 255,0,0

icon=$(xdotool search --sync --onlyvisible --classname tapestra 2>/dev/null | head -n 1)
check "tray icon embedded" test -n "$icon"
if [ -n "$icon" ]; then
  eval "$(xdotool getwindowgeometry --shell "$icon")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
  sleep 0.8
  # オートチェンジ On/Off, 前画像, 次画像
  xdotool key Down Down Down Return
  check "次画像 shows the second picture" wait_color 0,255,0
fi

kill -TERM "$app"
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
check "program ended on SIGTERM" bash -c "! kill -0 $app 2>/dev/null"
ini=$(cat "$folder/tapestra.ini")
check "CurrentPictureNo=2" grep -qx 'CurrentPictureNo=2' <<<"$ini"
check "CurrentPicture is the second picture" grep -qx "CurrentPicture=$work/pictures/p1.png" <<<"$ini"
[ "$failures" -eq 0 ] || { echo "--- stderr"; cat "$work/stderr.log"; }

echo "rotation end to end: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
