#!/usr/bin/env bash
# Every build draws the same animation: runs each given tolva-render over a matrix of window
# sizes, trail counts and colour schemes and requires identical "--hash" lines from all of them.
# Programs ending in .exe run under Wine; 32-bit x86 Linux programs (static) run under QEMU's
# user-mode emulator even where the kernel could run them, so every machine checks them alike.
# Prints the matrix with one digest per row and the seconds each build took.
#
#   tests/cross_build_hashes.sh NAME=PATH [NAME=PATH ...]
set -u
[ $# -ge 2 ] || { echo "usage: $0 NAME=PATH NAME=PATH [...]" >&2; exit 2; }

# size count scheme frames: every size, count and scheme at least once; 2,000 frames at the
# small sizes, 300 at full HD. Counts above the pool's 80 and 0 are in it on purpose.
matrix=(
  "1x1 0 1 2000"
  "1x1 80 9 2000"
  "33x17 2 2 2000"
  "33x17 200 3 2000"
  "33x17 25 9 2000"
  "640x480 25 4 2000"
  "640x480 80 5 2000"
  "640x480 200 6 2000"
  "1920x1080 80 7 300"
  "1920x1080 25 8 300"
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all

is_i386_elf() {  # ELF magic, 32-bit class (byte 4), machine 3 = Intel 80386 (bytes 18-19)
  [[ "$(od -An -tx1 -N20 "$1" 2>/dev/null | tr -d ' \n')" =~ ^7f454c4601[0-9a-f]{26}0300$ ]]
}

run() {  # program args... ; Windows programs print CR LF
  local program=$1
  shift
  if [[ "$program" == *.exe ]]; then
    wine "$program" "$@" | tr -d '\r'
  elif is_i386_elf "$program"; then
    qemu-i386-static "$program" "$@"
  else
    "$program" "$@"
  fi
}

failures=0
declare -A millis  # time each build spent, summed over the matrix
printf '%-10s %5s %6s %6s  %-16s %s\n' size count scheme frames digest builds
for row in "${matrix[@]}"; do
  read -r size count scheme frames <<<"$row"
  # Scheme 9 follows the clock: start it just before a 10-second boundary so the run sees two.
  clock=0
  [ "$scheme" = 9 ] && clock=69000
  reference=""
  names=()
  for build in "$@"; do
    name=${build%%=*}
    program=${build#*=}
    out="$work/$name.$size.$count.$scheme"
    start=$(date +%s%3N)
    run "$program" --size "$size" --count "$count" --color "$scheme" --frames "$frames" \
      --clock-ms "$clock" --hash >"$out"
    status=$?
    millis[$name]=$((${millis[$name]:-0} + $(date +%s%3N) - start))
    if [ "$status" -ne 0 ]; then
      echo "FAIL: $name exited with an error for $row" >&2
      failures=$((failures + 1))
      continue
    fi
    if [ "$(wc -l <"$out")" -ne "$frames" ]; then
      echo "FAIL: $name printed $(wc -l <"$out") lines for $row, expected $frames" >&2
      failures=$((failures + 1))
      continue
    fi
    names+=("$name")
    if [ -z "$reference" ]; then
      reference=$out
    elif ! cmp -s "$reference" "$out"; then
      first=$(diff "$reference" "$out" | sed -n '2p')
      echo "FAIL: $name differs from ${reference##*/} for $row, first at: $first" >&2
      failures=$((failures + 1))
    fi
  done
  digest=$(sha256sum "$reference" | cut -c1-16)
  printf '%-10s %5s %6s %6s  %-16s %s\n' "$size" "$count" "$scheme" "$frames" "$digest" "${names[*]}"
done
for build in "$@"; do
  name=${build%%=*}
  printf '%s %d.%03d s  ' "$name" $((millis[$name] / 1000)) $((millis[$name] % 1000))
done
echo
exit $((failures > 0))
