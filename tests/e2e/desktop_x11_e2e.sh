#!/bin/sh
# Runs the X11 desktop end-to-end program against a private Xvfb; exit 77 (skipped) when
# there is no Xvfb.
set -u
program=$1
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
# -displayfd lets the server pick a free display number; -noreset keeps it alive between
# our short-lived client connections.
Xvfb -displayfd 3 -screen 0 640x480x24 -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
i=0
while [ ! -s "$work/display" ]; do
  i=$((i + 1))
  if [ "$i" -gt 100 ] || ! kill -0 "$xvfb" 2>/dev/null; then
    echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1
  fi
  sleep 0.1
done
DISPLAY=":$(cat "$work/display")" "$program"
