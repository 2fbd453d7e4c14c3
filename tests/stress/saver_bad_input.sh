#!/usr/bin/env bash
# Bad registry values and command lines through the real saver: runs saver_input_probe.exe under
# Wine. The probe rewrites the saver's registry key, so run it in a throwaway prefix (as
# scripts/with-wine makes one).
#
#   tests/stress/saver_bad_input.sh TOLVA_SCR SAVER_INPUT_PROBE_EXE [quick]
set -u
scr=$1
probe=$2
mode=${3:-}
# Wine and a display come from scripts/with-wine, which this re-runs itself under if need be.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/../../scripts/with-wine" "$0" "$@"
fi

wine "$probe" "$(winepath -w "$scr")" $mode 2>&1 | tr -d '\r'
exit "${PIPESTATUS[0]}"
