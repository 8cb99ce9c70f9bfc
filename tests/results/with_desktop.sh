#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb) with a window manager
# (openbox), as on an operator's desktop; ends both afterwards.
#   with_desktop.sh COMMAND [ARGS...]
set -uo pipefail
for _ in $(seq 20); do
    display=":$((RANDOM % 500 + 500))"
    [ -e "/tmp/.X11-unix/X${display#:}" ] || break
done
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" "${wm:-}" 2>/dev/null' EXIT
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done
DISPLAY="$display" openbox >/dev/null 2>&1 &
wm=$!
sleep 1
env -u QT_QPA_PLATFORM DISPLAY="$display" QT_QPA_PLATFORM=xcb "$@"
