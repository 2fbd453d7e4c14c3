#!/usr/bin/env bash
# The real saver under stress: tolva.scr runs full screen under Wine for as long as FRAMES frames
# take, watched from Windows by saver_stress_probe.exe (GUI objects, handles, memory, and the
# close by a key press with exit code 0) and from Linux through /proc (resident and data size and
# open files of the saver's process, which Wine's own counters do not show).
#
#   tests/stress/saver_stress.sh TOLVA_SCR SAVER_STRESS_PROBE_EXE [FRAMES]
set -u
scr=$1
probe=$2
frames=${3:-20000}
# Wine and a display come from scripts/with-wine, which this re-runs itself under if need be.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/../../scripts/with-wine" "$0" "$@"
fi
work=$(mktemp -d)
cleanup() {
  [ -n "${probe_pid:-}" ] && kill "$probe_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

wine "$probe" "$(winepath -w "$scr")" "$frames" >"$work/probe.log" 2>&1 &
probe_pid=$!

# The Linux process of this saver: its command line names the file, its environment our prefix.
saver_pid=""
for _ in $(seq 300); do
  for pid in $(pgrep -f 'tolva\.scr /s$'); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      saver_pid=$pid
    fi
  done
  [ -n "$saver_pid" ] && break
  sleep 0.1
done
if [ -z "$saver_pid" ]; then
  echo "FAIL: the saver did not start"
  tr -d '\r' <"$work/probe.log"
  exit 1
fi

status_kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$saver_pid/status" 2>/dev/null; }
# One sample every 2 s: resident KiB, data KiB, open files.
: >"$work/samples"
while kill -0 "$saver_pid" 2>/dev/null; do
  rss=$(status_kib VmRSS)
  data=$(status_kib VmData)
  fds=$(ls "/proc/$saver_pid/fd" 2>/dev/null | wc -l)
  [ -n "$rss" ] && [ -n "$data" ] && [ "$fds" -gt 0 ] && echo "$rss $data $fds" >>"$work/samples"
  sleep 2
done
wait "$probe_pid"
probe_status=$?
probe_pid=""
tr -d "\r" <"$work/probe.log"
[ -n "${TOLVA_STRESS_SAMPLES:-}" ] && cat "$work/samples"

# Wine allocates and frees a frame-sized buffer as it copies frames to the screen, so single
# samples swing by megabytes. A leak raises the floor instead: the least seen in the last
# quarter of the run may not exceed the least seen in the second quarter (the first settles what
# is allocated once) by more than 1 MiB.
count=$(wc -l <"$work/samples")
[ "$count" -ge 8 ] || { echo "FAIL: too few samples ($count) of the saver's process"; exit 1; }
quarter=$((count / 4))
floor() {  # column, first line, last line
  sed -n "$2,$3p" "$work/samples" | awk -v c="$1" 'NR == 1 || $c < m { m = $c } END { print m }'
}
settled_rss=$(floor 1 $((quarter + 1)) $((2 * quarter)))
settled_data=$(floor 2 $((quarter + 1)) $((2 * quarter)))
final_rss=$(floor 1 $((count - quarter + 1)) "$count")
final_data=$(floor 2 $((count - quarter + 1)) "$count")
settled_fds=$(sed -n "$((quarter + 1))p" "$work/samples" | cut -d' ' -f3)
final_fds=$(tail -n 1 "$work/samples" | cut -d' ' -f3)
echo "linux: $count samples; floor of resident and data KiB in the second quarter" \
  "$settled_rss $settled_data, in the last $final_rss $final_data; open files $settled_fds -> $final_fds"

failures=0
[ "$probe_status" -eq 0 ] || { echo "FAIL: the probe reported a fault"; failures=1; }
if [ $((final_rss - settled_rss)) -gt 1024 ]; then echo "FAIL: resident size grew"; failures=1; fi
if [ $((final_data - settled_data)) -gt 1024 ]; then echo "FAIL: data size grew"; failures=1; fi
if [ "$final_fds" -gt $((settled_fds + 4)) ]; then echo "FAIL: open files grew"; failures=1; fi
exit "$failures"
