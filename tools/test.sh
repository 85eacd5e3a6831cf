#!/usr/bin/env bash
# Builds everything and runs every test: the native tests (sanitizers on), then
# the Windows tests under wine64 against a local vendor server on a virtual
# display. Installs what is missing first. Ends with "N passed, N failed".
set -u
cd "$(dirname "$0")/.."
root=$PWD
logs=$root/build/logs
mkdir -p "$logs"

step() {  # step NAME COMMAND...: runs quietly, shows the log on failure
  local name=$1
  shift
  printf '%-28s' "$name"
  local start=$SECONDS
  if "$@" >"$logs/$name.log" 2>&1; then
    echo "ok ($((SECONDS - start)) s)"
  else
    echo "FAILED ($((SECONDS - start)) s)"
    tail -n 60 "$logs/$name.log"
    return 1
  fi
}

step install-deps tools/install-deps.sh || exit 1
jobs=$(nproc)
for preset in native-debug win-x64 win-i686; do
  step "configure-$preset" cmake --preset "$preset" || exit 1
  step "build-$preset" cmake --build --preset "$preset" -j "$jobs" || exit 1
done

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  WINEPREFIX=$root/build/win-x64/wineprefix PATH=$PATH:/usr/lib/wine wineserver -k 2>/dev/null
  return 0
}
trap cleanup EXIT

# One virtual display and one vendor server for the Windows tests.
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    break
  done
fi
server_root=$root/build/win-x64/vendor-root
mkdir -p "$server_root"
rm -f "$logs/server.port"
build/native-debug/tests/server/vendor_server --root "$server_root" --port 0 \
  --port-file "$logs/server.port" >"$logs/server.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$logs/server.port" ] && break; sleep 0.1; done
server="127.0.0.1:$(cat "$logs/server.port" 2>/dev/null)"

passed=0
failed=0
run_ctest() {  # run_ctest PRESET PARALLEL [ENV...]
  local preset=$1 parallel=$2
  shift 2
  local out=$logs/ctest-$preset.log
  printf '%-28s' "test-$preset"
  env "$@" ctest --preset "$preset" -j "$parallel" --timeout 300 >"$out" 2>&1
  local summary
  summary=$(grep -E '^[0-9]+% tests passed' "$out" | tail -1)
  local total fails
  total=$(sed -nE 's/.* out of ([0-9]+).*/\1/p' <<<"$summary")
  fails=$(sed -nE 's/.*, ([0-9]+) tests failed.*/\1/p' <<<"$summary")
  total=${total:-0}
  fails=${fails:-1}
  [ "$total" -eq 0 ] && fails=1
  passed=$((passed + total - fails))
  failed=$((failed + fails))
  echo "$summary"
  if [ "$fails" -ne 0 ]; then sed -n '/The following tests FAILED/,$p' "$out" | head -40; fi
}
run_ctest native-debug "$jobs"
# The Windows tests share one server whose faults they set: one at a time.
run_ctest win-x64 1 VALDORINE_TEST_SERVER="$server" http_proxy="http://$server" no_proxy=

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
