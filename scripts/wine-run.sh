#!/usr/bin/env bash
# Runs one Windows program of the build under Wine: ctest's emulator for the
# Windows build.  A QtTest program (test_*) writes its log to a file (under Wine its
# own output does not reach standard output), which is then shown; the
# program's exit code is the result.
set -uo pipefail
exe="$1"
shift
export WINEDEBUG="${WINEDEBUG:--all}"
unset DISPLAY
# Wine passes no QT_* variable on: a WINE prefix makes it arrive as QT_*.
export WINEQT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# Without a font folder the offscreen platform measures text with dummy widths.
export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu'

limit="${KV_WINE_TIMEOUT:-280}"
case "$(basename "$exe")" in
  test_*) qtest=1 ;;
  *) qtest=0 ;;
esac
if [ "$qtest" = 1 ]; then
  log="$(mktemp --suffix=.txt)"
  timeout "$limit" /usr/lib/wine/wine64 "$exe" "$@" -o "Z:${log//\//\\},txt"
  rc=$?
  cat "$log"
  rm -f "$log"
else
  timeout "$limit" /usr/lib/wine/wine64 "$exe" "$@"
  rc=$?
fi
[ "$rc" -eq 124 ] && echo "timed out under Wine after ${limit} s"
exit "$rc"
