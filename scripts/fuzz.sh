#!/usr/bin/env bash
# Builds the fuzz preset (clang-14, libFuzzer) and fuzzes the drawing reader
# for SECONDS (default 60), seeded from the sample drawings.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target vsdx_fuzz -j"$(nproc)"
corpus="$root/build/fuzz/corpus"
mkdir -p "$corpus"
samples="${TW_SAMPLES_DIR:-$root/../shared/samples}"
if [ -d "$samples" ]; then
  cp -n "$samples"/*.vsdx "$samples"/*.vssx "$corpus"/ 2>/dev/null || true
fi
# Crashes land in build/fuzz/artifacts; a crash makes this script fail.
mkdir -p "$root/build/fuzz/artifacts"
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
  "$root/build/fuzz/fuzz/vsdx_fuzz" "$corpus" \
  -max_total_time="$seconds" -max_len=1048576 -rss_limit_mb=2048 -timeout=20 \
  -artifact_prefix="$root/build/fuzz/artifacts/" -print_final_stats=1
