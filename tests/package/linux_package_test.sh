#!/usr/bin/env bash
# The Linux package end to end: packs the native build with CPack, checks that a staged install
# holds exactly the package's files, renders the man pages and validates the desktop entry and
# the AppStream metainfo (offline),
# has lintian find no errors in it, installs the package as README says (apt install ./tolva_*.deb) and has the real XScreenSaver
# daemon run the installed hack. A package that was not installed before is purged at the end.
#   usage: tests/package/linux_package_test.sh BUILD_DIR      (as root, or with sudo)
set -euo pipefail
build=$(realpath "${1:?usage: linux_package_test.sh BUILD_DIR}")
source_dir=$(realpath "$(dirname "$0")/../..")
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
work=$(mktemp -d)
installed_before=$(dpkg-query -W -f='${Status}' tolva 2>/dev/null | grep -c 'ok installed' || true)
finish() {
  if [ "$installed_before" = 0 ] && dpkg-query -W tolva >/dev/null 2>&1; then
    "${sudo_cmd[@]}" dpkg --purge tolva >/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$build/package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build/package" >"$work/log" 2>&1 ||
  { cat "$work/log"; fail "cpack"; }
deb=$(ls "$build"/package/tolva_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2-2.0-0 libx11-6 libxext6 libwayland-client0; do
  [[ "$depends" == *"$library"* ]] || fail "no dependency on $library: $depends"
done

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/stage" && find . ! -type d | sed 's|^\./||' | sort) >"$work/staged"
printf '%s\n' usr/bin/tolva usr/bin/tolva-render usr/libexec/xscreensaver/tolva \
  usr/share/xscreensaver/config/tolva.xml usr/share/man/man6/tolva.6.gz \
  usr/share/man/man1/tolva-render.1.gz usr/share/applications/tolva.desktop \
  usr/share/metainfo/io.github.tolva.tolva.metainfo.xml \
  usr/share/icons/hicolor/256x256/apps/tolva.png usr/share/doc/tolva/copyright \
  usr/share/doc/tolva/changelog.gz | sort | diff -u - "$work/staged" ||
  fail "the staged install is not the expected files"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort |
  diff -u "$work/staged" - || fail "the package does not hold the staged files"
stage=$work/stage/usr
[ "$(readlink -f "$stage/bin/tolva")" = "$stage/libexec/xscreensaver/tolva" ] &&
  [ -x "$stage/libexec/xscreensaver/tolva" ] || fail "bin/tolva does not lead to the hack"
cmp "$source_dir/hosts/linux/tolva.xml" "$stage/share/xscreensaver/config/tolva.xml"
# The PNG signature, then the header's width and height (256 each, big-endian).
[ "$(od -An -tx1 -N24 "$stage/share/icons/hicolor/256x256/apps/tolva.png" | tr -d ' \n')" = \
  89504e470d0a1a0a0000000d494844520000010000000100 ] || fail "the icon is not a 256x256 PNG"
desktop-file-validate "$stage/share/applications/tolva.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$stage/share/metainfo/io.github.tolva.tolva.metainfo.xml" \
  >"$work/appstream" 2>&1 || { cat "$work/appstream"; fail "appstreamcli validate"; }
for page in man6/tolva.6.gz man1/tolva-render.1.gz; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$stage/share/man/$page" \
    >"$work/page" 2>"$work/warnings" && [ ! -s "$work/warnings" ] ||
    { cat "$work/warnings"; fail "man -l $page"; }
  for section in NAME SYNOPSIS OPTIONS "EXIT STATUS"; do
    grep -q "^$section" "$work/page" || fail "$page has no $section"
  done
done
# A distribution's checks: lintian's errors (and the hardening it looks for) fail the package.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 ||
  { cat "$work/lintian"; fail "lintian reports errors"; }
[[ "$(dpkg-deb -f "$deb" Maintainer)" != *@localhost* ]] && [ -n "$(dpkg-deb -f "$deb" Homepage)" ] ||
  fail "no real maintainer or no Homepage"
echo "ok: $(basename "$deb") (Depends: $depends), staged install, man pages, desktop entry, metainfo, lintian"

"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  -o DPkg::Lock::Timeout=120 "$deb" >"$work/log" 2>&1 || { cat "$work/log"; fail "apt-get install"; }
[ "$(man -w tolva)" = /usr/share/man/man6/tolva.6.gz ] || fail "man tolva does not find tolva.6"
tolva --help | grep -q -- '--window-id' || fail "tolva --help through /usr/bin"
echo "ok: apt-get install ./$(basename "$deb"); man tolva and tolva --help work"
python3 "$source_dir/tests/hosts/linux/viewer_x11_test.py" --installed \
  --viewer /usr/libexec/xscreensaver/tolva --render /usr/bin/tolva-render \
  --xwindow "$build/tests/hosts/linux/tolva-test-xwindow" \
  --config /usr/share/xscreensaver/config/tolva.xml xscreensaver_daemon
# The installed tolva carries the Wayland host: swayidle starts it full screen on sway.
python3 "$source_dir/tests/hosts/linux/viewer_wayland_test.py" --viewer /usr/bin/tolva \
  --render /usr/bin/tolva-render --vpointer "$build/tests/hosts/linux/tolva-test-vpointer" \
  idle_daemon_starts_it
