#!/usr/bin/env bash
# Builds the download benchmark in a release build (no sanitizers) and runs
# it: the product's download of the main file lists against curl's on the
# same files from the local vendor server, and its peak memory for a small
# and a large file.
#
# Usage: tools/bench/run.sh [build folder] [download_bench options...]
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="${1:-$source_dir/build/native-release}"
shift || true

cd "$source_dir"
command -v curl >/dev/null || { echo "run.sh: the curl command line is needed" >&2; exit 1; }
cmake --preset native-release -S "$source_dir" -B "$build_dir" -DBUILD_TESTING=ON >/dev/null
if ! cmake --build "$build_dir" --target download_bench vendor_server; then
  echo "run.sh: build failed (is tools/bench added to the root CMakeLists.txt?)" >&2
  exit 1
fi
exec "$build_dir/tools/bench/download_bench" --server "$build_dir/tests/server/vendor_server" "$@"
