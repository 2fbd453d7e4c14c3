#!/usr/bin/env bash
# scripts/run with no display, on a copy of this checkout (its build and out/ stay untouched),
# with apt-get, dpkg, dpkg-query and sudo replaced on PATH by stand-ins that report nothing
# installed and log what they are asked: it asks for no test-only package and writes its GIF.
set -euo pipefail
source_dir=$(realpath "$(dirname "$0")/../..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/bin" "$work/tree"
(cd "$source_dir" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$work/tree"
for stand_in in 'apt-get exit 0' 'dpkg exit 0' 'dpkg-query exit 1' 'sudo exec "$@"'; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\n%s\n' "${stand_in%% *}" "$work/asked" \
    "${stand_in#* }" >"$work/bin/${stand_in%% *}"
  chmod +x "$work/bin/${stand_in%% *}"
done
(cd "$work/tree" && env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/bin:$PATH" \
  CMAKE_BUILD_PARALLEL_LEVEL=2 ./scripts/run) >"$work/log" 2>&1 || { cat "$work/log"; fail "scripts/run"; }
grep -q '^apt-get install .* libsdl2-dev' "$work/asked" || fail "no SDL2 asked for: $(cat "$work/asked")"
for package in wine wine32:i386 wine64 chromium emscripten qemu-user-static g++-mingw-w64-i686 \
  lintian twm xserver-xorg-video-dummy xscreensaver libgtest-dev --add-architecture; do
  if tr ' ' '\n' <"$work/asked" | grep -qxF -- "$package"; then fail "it asked for $package"; fi
done
[ "$(head -c 6 "$work/tree/out/tolva.gif")" = GIF89a ] || fail "no GIF written: $(cat "$work/log")"
echo "scripts/run asked apt-get for the run group only and wrote its GIF"
