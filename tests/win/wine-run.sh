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

if [ ! -f "$WINEPREFIX/.valdorine-booted" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.valdorine-booted" ]; then
      timeout 300 wine64 wineboot -i >/dev/null 2>&1
      timeout 60 wineserver -w
      touch "$WINEPREFIX/.valdorine-booted"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [ -z "${DISPLAY:-}" ]; then
  exec timeout -k 5 "$timeout_s" xvfb-run -a -s "-screen 0 1280x1024x24" wine64 "$exe" "$@"
fi
exec timeout -k 5 "$timeout_s" wine64 "$exe" "$@"
