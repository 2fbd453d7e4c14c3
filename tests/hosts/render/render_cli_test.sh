#!/usr/bin/env bash
# tolva-render as a user runs it: repeatable hashes, the image files it writes (checked with
# ImageMagick, which decodes them independently), and a clean refusal of every bad argument.
set -u
render=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The same command twice prints the same lines: one "INDEX HASH" per frame.
"$render" --size 320x200 --count 80 --color 8 --frames 40 --hash >"$work/a" || fail "hash run exited $?"
"$render" --size 320x200 --count 80 --color 8 --frames 40 --hash >"$work/b"
cmp -s "$work/a" "$work/b" || fail "two runs printed different hashes"
[ "$(wc -l <"$work/a")" -eq 40 ] || fail "expected 40 hash lines"
grep -qvE '^[0-9]+ [0-9a-f]{16}$' "$work/a" && fail "malformed hash line: $(grep -vE '^[0-9]+ [0-9a-f]{16}$' "$work/a" | head -1)"
[ "$(head -1 "$work/a" | cut -d' ' -f1)" = 0 ] || fail "frames are not counted from 0"
# Another size draws another animation.
"$render" --size 321x200 --count 80 --color 8 --frames 40 --hash >"$work/c"
cmp -s "$work/a" "$work/c" && fail "the window size does not change the frames"

# The scheme-9 clock: 70000 ms and 0 ms are both scheme 1, 69995 is scheme 7.
h0=$("$render" --color 9 --frames 1 --hash --clock-ms 0)
h7=$("$render" --color 9 --frames 1 --hash --clock-ms 70000)
h6=$("$render" --color 9 --frames 1 --hash --clock-ms 69995)
h1=$("$render" --color 1 --frames 1 --hash)
h8=$("$render" --color 7 --frames 1 --hash)
[ "$h0" = "$h7" ] || fail "clock 0 and 70000 should give the same scheme"
[ "$h0" != "$h6" ] || fail "clock 69995 should give another scheme"
[ "$h1" != "$h8" ] || fail "schemes 1 and 7 should differ"
# The clock wraps like the platform's 32-bit millisecond count: frame 1 then reads 4.
hw=$("$render" --color 9 --frames 2 --hash --clock-ms 4294967295 | tail -1)
h2=$("$render" --color 9 --frames 2 --hash --clock-ms 0 | tail -1)
[ "$hw" = "$h2" ] || fail "the clock does not wrap at 2^32"
# --delay is the clock's step: frame 1 reads 70000 both ways. The default step is 5000 us, and
# the default scale 1.
h5=$("$render" --color 9 --frames 2 --hash --clock-ms 69995 --delay 5000 | tail -1)
h10=$("$render" --color 9 --frames 2 --hash --clock-ms 69990 -delay 10000 | tail -1)
[ "$h5" = "$h10" ] || fail "--delay does not set the clock's step"
[ "$("$render" --color 9 --frames 3 --hash --delay 5000 --scale 1)" = "$("$render" --color 9 --frames 3 --hash)" ] ||
  fail "--delay 5000 --scale 1 is not the default"
[ "$("$render" --frames 3 --hash --scale 2)" != "$("$render" --frames 3 --hash)" ] ||
  fail "--scale 2 draws the default's frames"
# Counts above the pool draw the full pool; colours outside 1..9 draw as 1.
[ "$("$render" --count 200 --frames 3 --hash)" = "$("$render" --count 80 --frames 3 --hash)" ] ||
  fail "--count 200 differs from 80"
[ "$("$render" --color 12 --frames 3 --hash)" = "$("$render" --color 1 --frames 3 --hash)" ] ||
  fail "--color 12 differs from 1"

# Files: BMP holds the frame's header and the pixel store; PNG and GIF hold the same picture.
"$render" --size 33x17 --frames 5 --every 2 --out "$work/bmp" --format bmp --gif "$work/anim.gif" ||
  fail "bmp run exited $?"
"$render" --size 33x17 --frames 5 --every 2 --out "$work/png" --format png || fail "png run exited $?"
[ "$(ls "$work/bmp")" = "$(printf 'frame_000000.bmp\nframe_000002.bmp\nframe_000004.bmp')" ] ||
  fail "unexpected BMP files: $(ls "$work/bmp" | tr '\n' ' ')"
bmp=$work/bmp/frame_000004.bmp
[ "$(stat -c %s "$bmp")" -eq $((54 + 17 * 100)) ] || fail "BMP size is not 54 + height x stride"
[ "$(head -c 2 "$bmp")" = BM ] || fail "BMP signature missing"
[ "$(od -An -tu4 -j14 -N4 "$bmp" | tr -d ' ')" = 40 ] || fail "BMP info header is not 40 bytes"
[ "$(od -An -tu2 -j28 -N2 "$bmp" | tr -d ' ')" = 24 ] || fail "BMP is not 24-bit"
# The BMP's pixel bytes are the pixel store, whose hash the renderer prints.
"$render" --size 33x17 --frames 5 --hash | tail -1 | cut -d' ' -f2 >"$work/expected_hash"
python3 - "$bmp" "$work/expected_hash" <<'PY' || fail "BMP pixel data differs from the hashed store"
import sys
data = open(sys.argv[1], 'rb').read()[54:]
h = 0xcbf29ce484222325
for b in data:
    h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
sys.exit(0 if format(h, '016x') == open(sys.argv[2]).read().strip() else 1)
PY
for f in 000000 000002 000004; do
  diff=$(compare -metric AE "$work/bmp/frame_$f.bmp" "$work/png/frame_$f.png" null: 2>&1)
  [ "$diff" = 0 ] || fail "PNG frame $f differs from the BMP by $diff pixels"
done
[ "$(identify "$work/anim.gif" | wc -l)" -eq 3 ] || fail "GIF should hold the 3 saved frames"
# A frame with many colours (the GIF quantizes): the picture stays lit where the BMP is lit.
"$render" --size 64x48 --frames 1 --out "$work/one" --gif "$work/one.gif" >/dev/null
lit_bmp=$(convert "$work/one/frame_000000.bmp" -threshold 5% -format '%[fx:mean]' info:)
lit_gif=$(convert "$work/one.gif[0]" -threshold 5% -format '%[fx:mean]' info:)
python3 -c "import sys; sys.exit(0 if abs($lit_bmp - $lit_gif) < 0.02 and $lit_bmp > 0.05 else 1)" ||
  fail "GIF frame does not match its BMP (lit share $lit_gif vs $lit_bmp)"

# Bad arguments: one line on stderr, exit code 2, never a crash (the option table's own test
# holds every bad value).
while IFS= read -r args; do
  # shellcheck disable=SC2086
  "$render" $args >/dev/null 2>"$work/err"
  code=$?
  [ "$code" -eq 2 ] || fail "'$args' exited $code, expected 2"
  grep -q '^tolva-render: ' "$work/err" && [ "$(wc -l <"$work/err")" -eq 1 ] ||
    fail "'$args' printed no error line, or more than one"
done <<'ARGS'
--bogus
--size 640
--delay 0
-scale 9
--frames
--format gif --out /tmp
--format png
stray
ARGS
"$render" --out /proc/forbidden/dir --frames 1 >/dev/null 2>"$work/err"
[ $? -eq 2 ] || fail "an unwritable --out should exit 2"

# Every drawing path forced through TOLVA_DRAW draws the reference path's bytes; a path the
# build or processor lacks, or a name that is no path, is refused with one line and code 2.
TOLVA_DRAW=reference "$render" --size 333x217 --count 80 --color 9 --frames 120 --hash >"$work/ref"
for path in scalar sse2 avx2 avx512; do
  if TOLVA_DRAW=$path "$render" --size 333x217 --count 80 --color 9 --frames 120 --hash \
      >"$work/path" 2>"$work/err"; then
    cmp -s "$work/ref" "$work/path" || fail "TOLVA_DRAW=$path draws other bytes than the reference"
  else
    grep -q "cannot draw with '$path'" "$work/err" || fail "TOLVA_DRAW=$path: $(cat "$work/err")"
  fi
done
TOLVA_DRAW=plain "$render" --frames 1 >/dev/null 2>"$work/err"
[ $? -eq 2 ] && grep -q "no drawing path 'plain'" "$work/err" || fail "TOLVA_DRAW=plain not refused"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "render CLI: all checks passed"
