#!/usr/bin/env bash
# scripts/run as a new user meets it with no display, on a copy of this checkout (so it builds
# there and leaves this tree's build and out/ alone): apt-get, dpkg, dpkg-query and sudo stand
# in on PATH, report nothing installed and log what they are asked. It must ask for none of
# the packages only the tests need, and still write its GIF.
#   usage: tests/package/run_script_test.sh
set -euo pipefail
source_dir=$(realpath "$(dirname "$0")/../..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/bin" "$work/tree"
(cd "$source_dir" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$work/tree"
stand_in() {
  printf '#!/bin/sh\necho "%s $*" >>"%s"\n%s\n' "$1" "$work/asked" "$2" >"$work/bin/$1"
  chmod +x "$work/bin/$1"
}
stand_in apt-get 'exit 0'
stand_in dpkg 'exit 0'
stand_in dpkg-query 'exit 1'  # as for a package that is not installed
stand_in sudo 'exec "$@"'

(cd "$work/tree" && env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/bin:$PATH" \
  CMAKE_BUILD_PARALLEL_LEVEL=2 ./scripts/run) >"$work/log" 2>&1 || { cat "$work/log"; fail "scripts/run"; }
grep -q '^apt-get install .* libsdl2-dev' "$work/asked" || fail "it did not ask for SDL2: $(cat "$work/asked")"
for package in wine wine32:i386 wine64 chromium emscripten qemu-user-static g++-mingw-w64-i686 \
  lintian twm xserver-xorg-video-dummy xscreensaver libgtest-dev --add-architecture; do
  if tr ' ' '\n' <"$work/asked" | grep -qxF -- "$package"; then fail "it asked for $package"; fi
done
[ "$(head -c 6 "$work/tree/out/tolva.gif")" = GIF89a ] || fail "no GIF written: $(cat "$work/log")"
echo "scripts/run asked for $(grep -c '^apt-get install' "$work/asked") install and wrote its GIF"
