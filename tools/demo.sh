#!/usr/bin/env bash
# Runs the setup (the Windows program, under wine64) against a local demo
# vendor server. Uses the user's display when there is one; otherwise a
# virtual one, with a screenshot of the window saved in build/demo/.
set -u
cd "$(dirname "$0")/.."
root=$PWD
demo=$root/build/demo
mkdir -p "$demo"

echo "Preparing (the first run installs packages and builds: several minutes)..."
tools/install-deps.sh || exit 1
for preset in native-release win-x64; do
  { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$(nproc)"; } \
    >"$demo/build-$preset.log" 2>&1 || { tail -40 "$demo/build-$preset.log"; exit 1; }
done

# The product on the demo server: about 100 MB, derived from the setup's own lists.
if [ ! -f "$demo/vendor-root/.complete" ]; then
  rm -rf "$demo/vendor-root"
  build/native-release/tools/vendor_tree/make_vendor_tree \
    --out "$demo/vendor-root" || exit 1
  touch "$demo/vendor-root/.complete"
fi

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  WINEPREFIX=$demo/wineprefix PATH=$PATH:/usr/lib/wine wineserver -k 2>/dev/null
  return 0
}
trap cleanup EXIT

rm -f "$demo/server.port"
build/native-release/tests/server/vendor_server --root "$demo/vendor-root" --port 0 \
  --port-file "$demo/server.port" >"$demo/server.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$demo/server.port" ] && break; sleep 0.1; done
# The setup reaches the vendor host through the proxy setting, as it would
# through a user's system proxy.
export http_proxy="http://127.0.0.1:$(cat "$demo/server.port")" no_proxy=
export VALDORINE_WINEPREFIX=$demo/wineprefix

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  for n in $(seq 150 199); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    break
  done
fi

exe=build/win-x64/src/platform/win32/install.exe
if [ "$headless" = 1 ]; then
  # No one to click: press the install button as a person would, and keep
  # pictures of the install under way and of its end.
  VALDORINE_WINE_TIMEOUT=300 tests/win/wine-run.sh "$exe" &
  setup_pid=$!
  window=""
  for _ in $(seq 180); do
    window=$(xdotool search --name "Valdorine Setup" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 1
  done
  if [ -z "$window" ]; then
    echo "The setup's window did not appear." >&2
    exit 1
  fi
  sleep 2
  import -window root "$demo/screenshot.png"
  xdotool mousemove --window "$window" 280 470 click 1
  sleep 2
  import -window root "$demo/screenshot-installing.png"
  # The settings file is written once every file is in.
  touch "$demo/install-started"
  for _ in $(seq 120); do
    [ -n "$(find "$demo/wineprefix/drive_c/users" -name ValdorineIni.xml \
      -newer "$demo/install-started" 2>/dev/null)" ] && break
    sleep 1
  done
  sleep 3
  import -window root "$demo/screenshot-installed.png"
  kill "$setup_pid" 2>/dev/null
  echo "No display: the setup ran on a virtual one and installed into"
  echo "  $demo/wineprefix/drive_c/Program Files/Valdorine"
  echo "Screenshots: $demo/screenshot.png, screenshot-installing.png, screenshot-installed.png"
else
  VALDORINE_WINE_TIMEOUT=86400 tests/win/wine-run.sh "$exe"
  echo "The setup ended; what it installed is under $demo/wineprefix/drive_c."
fi
