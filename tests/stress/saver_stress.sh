#!/usr/bin/env bash
# The real saver under stress: tolva.scr runs full screen under Wine for as long as FRAMES frames
# take, watched from Windows by saver_stress_probe.exe (GUI objects, handles, memory, and the
# close by a key press with exit code 0) and from Linux through /proc (resident and data size of
# the saver's process, which Wine's own counters do not show).
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
[ -n "$saver_pid" ] || { echo "FAIL: the saver did not start"; cat "$work/probe.log"; exit 1; }

status_kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$saver_pid/status" 2>/dev/null; }
sleep 2  # past the one-time allocations of start-up
first_rss=$(status_kib VmRSS)
first_data=$(status_kib VmData)
first_fds=$(ls "/proc/$saver_pid/fd" 2>/dev/null | wc -l)
peak_rss=$first_rss
peak_data=$first_data
last_fds=$first_fds
while kill -0 "$saver_pid" 2>/dev/null; do
  rss=$(status_kib VmRSS)
  data=$(status_kib VmData)
  fds=$(ls "/proc/$saver_pid/fd" 2>/dev/null | wc -l)
  [ -n "$rss" ] && [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
  [ -n "$data" ] && [ "$data" -gt "$peak_data" ] && peak_data=$data
  [ "$fds" -gt 0 ] && last_fds=$fds
  sleep 2
done
wait "$probe_pid"
probe_status=$?
probe_pid=""
cat "$work/probe.log" | tr -d '\r'
echo "linux: resident ${first_rss} KiB at start, peak ${peak_rss} KiB; data ${first_data} KiB at start, peak ${peak_data} KiB; open files ${first_fds} -> ${last_fds}"

failures=0
[ "$probe_status" -eq 0 ] || { echo "FAIL: the probe reported a fault"; failures=1; }
if [ $((peak_rss - first_rss)) -gt 4096 ]; then echo "FAIL: resident size grew by more than 4 MiB"; failures=1; fi
if [ $((peak_data - first_data)) -gt 4096 ]; then echo "FAIL: data size grew by more than 4 MiB"; failures=1; fi
if [ "$last_fds" -gt $((first_fds + 4)) ]; then echo "FAIL: open files grew"; failures=1; fi
exit "$failures"
