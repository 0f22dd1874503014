#!/usr/bin/env bash
# Installs, builds and runs every test headless: once in the normal build,
# again built with AddressSanitizer and UndefinedBehaviorSanitizer, and in the
# Windows build under Wine (KV_SKIP_SANITIZERS=1, KV_SKIP_WINDOWS=1 leave them out).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

scripts/setup.sh
(cd build && ctest --output-on-failure -j"$jobs")

if [ "${KV_SKIP_SANITIZERS:-0}" != "1" ]; then
  echo "== the same tests with AddressSanitizer and UndefinedBehaviorSanitizer =="
  KV_BUILD_DIR=build-asan KV_CMAKE_ARGS="-DKV_SANITIZE=ON" scripts/setup.sh
  # Qt and fontconfig keep caches until exit: leak reports there say nothing
  # about this code, so leak detection is off; every other finding fails.
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  (cd build-asan && ctest --output-on-failure -j"$jobs")
fi

# The Windows build, cross-compiled and run under Wine (the first run builds
# static Qt for mingw into ~/.cache/kv52013: about 35 minutes on 2 cores).
if [ "${KV_SKIP_WINDOWS:-0}" != "1" ]; then
  echo "== the Windows build under Wine =="
  scripts/windows.sh --test
fi
