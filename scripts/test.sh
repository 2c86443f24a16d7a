#!/usr/bin/env bash
# Builds and runs every test: the debug build, then the ASan+UBSan build.
# Usage: scripts/test.sh [debug|asan]...   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(debug asan)
export QT_QPA_PLATFORM=offscreen
for p in "${presets[@]}"; do
  echo "== $p build"
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" -j"$(nproc)"
  echo "== $p tests"
  ctest --preset "$p"
done
