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

# size count scheme frames emulated scale: every size, count and scheme at least once, and two
# scales other than 1, whose discs are placed with 64-bit products; 2,000 frames at
# the small sizes, 300 at full HD. Counts above the pool's 80 and 0 are in it on purpose. QEMU
# runs about six times slower than the machine, so an emulated build draws the "emulated" count,
# the first frames of the same run: every row at the small sizes, where the projection and the
# steering wrap (from frames 347 and 550), 700 at 640x480 (past its wraps at 348 and 675) and 60
# at full HD, which are there for the wide rows of the drawing, not for the long run.
matrix=(
  "1x1 0 1 2000 2000 1"
  "1x1 80 9 2000 2000 1"
  "33x17 2 2 2000 2000 1"
  "33x17 200 3 2000 2000 1"
  "33x17 25 9 2000 2000 1"
  "640x480 25 4 2000 700 1"
  "640x480 80 5 2000 700 1"
  "640x480 200 6 2000 700 1.5"
  "1920x1080 80 7 300 60 1"
  "1920x1080 25 8 300 60 2"
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
printf '%-10s %5s %6s %6s %5s  %-16s %s\n' size count scheme frames scale digest builds
for row in "${matrix[@]}"; do
  read -r size count scheme frames emulated scale <<<"$row"
  # Scheme 9 follows the clock: start it just before a 10-second boundary so the run sees two.
  clock=0
  [ "$scheme" = 9 ] && clock=69000
  names=()
  outs=()
  for build in "$@"; do
    name=${build%%=*}
    program=${build#*=}
    out="$work/$name.$size.$count.$scheme.$scale"
    n=$frames
    if is_i386_elf "$program"; then n=$emulated; fi
    start=$(date +%s%3N)
    run "$program" --size "$size" --count "$count" --color "$scheme" --frames "$n" \
      --clock-ms "$clock" --scale "$scale" --hash >"$out"
    status=$?
    millis[$name]=$((${millis[$name]:-0} + $(date +%s%3N) - start))
    if [ "$status" -ne 0 ]; then
      echo "FAIL: $name exited with an error for $row" >&2
      failures=$((failures + 1))
      continue
    fi
    if [ "$(wc -l <"$out")" -ne "$n" ]; then
      echo "FAIL: $name printed $(wc -l <"$out") lines for $row, expected $n" >&2
      failures=$((failures + 1))
      continue
    fi
    if [ "$n" = "$frames" ]; then names+=("$name"); else names+=("$name:$n"); fi
    outs+=("$out")
  done
  [ ${#outs[@]} -gt 0 ] || continue
  # The longest run is the reference; a shorter one must equal its first lines.
  reference=""
  for out in "${outs[@]}"; do
    if [ -z "$reference" ] || [ "$(wc -l <"$out")" -gt "$(wc -l <"$reference")" ]; then
      reference=$out
    fi
  done
  for i in "${!outs[@]}"; do
    out=${outs[$i]}
    [ "$out" = "$reference" ] && continue
    if ! cmp -s <(head -n "$(wc -l <"$out")" "$reference") "$out"; then
      first=$(diff <(head -n "$(wc -l <"$out")" "$reference") "$out" | sed -n '2p')
      echo "FAIL: ${names[$i]} differs from ${reference##*/} for $row, first at: $first" >&2
      failures=$((failures + 1))
    fi
  done
  digest=$(sha256sum "$reference" | cut -c1-16)
  printf '%-10s %5s %6s %6s %5s  %-16s %s\n' "$size" "$count" "$scheme" "$frames" "$scale" "$digest" \
    "${names[*]}"
done
for build in "$@"; do
  name=${build%%=*}
  printf '%s %d.%03d s  ' "$name" $((millis[$name] / 1000)) $((millis[$name] % 1000))
done
echo
exit $((failures > 0))
