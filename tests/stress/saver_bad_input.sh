#!/usr/bin/env bash
# Bad registry values and command lines through the real saver: runs saver_input_probe.exe under
# Wine on an Xvfb screen of its own, with a Wine prefix of its own unless WINEPREFIX is set.
#
#   tests/stress/saver_bad_input.sh TOLVA_SCR SAVER_INPUT_PROBE_EXE [quick]
set -u
scr=$1
probe=$2
mode=${3:-}
work=$(mktemp -d)
xvfb=""
cleanup() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$work/prefix}

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

wine "$probe" "$(winepath -w "$scr")" $mode 2>&1 | tr -d '\r'
exit "${PIPESTATUS[0]}"
