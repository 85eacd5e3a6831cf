#!/usr/bin/env bash
# Runs a Windows program under wine64 in a prefix of the build's own, booted
# once, on the display the run provides (or a virtual one of its own), with a
# time-out so that a hang fails fast.
set -u
exe=$1
shift
build_dir=$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)
export WINEPREFIX=${VALDORINE_WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the setup needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
timeout_s=${VALDORINE_WINE_TIMEOUT:-120}
# Debian puts the 64-bit loader beside Wine's libraries, not on PATH.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export PATH=$PATH:/usr/lib/wine

if [ ! -f "$WINEPREFIX/.valdorine-booted" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.valdorine-booted" ]; then
      if timeout 300 "$wine" wineboot -i >/dev/null 2>&1 && timeout 60 "$wineserver" -w; then
        touch "$WINEPREFIX/.valdorine-booted"
      else
        echo "wine-run: could not boot the prefix $WINEPREFIX" >&2
        exit 125
      fi
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [ -z "${DISPLAY:-}" ]; then
  exec timeout -k 5 "$timeout_s" xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$exe" "$@"
fi
exec timeout -k 5 "$timeout_s" "$wine" "$exe" "$@"
