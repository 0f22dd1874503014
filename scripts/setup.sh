#!/usr/bin/env bash
# Installs what the configurator needs on Debian 12 (when missing) and builds
# it into build/ (or $KV_BUILD_DIR).  Run as root or as a user with sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(g++ cmake make pkg-config qt6-base-dev libgl-dev libpugixml-dev libsnmp-dev snmpd fonts-dejavu-core ccache ${KV_EXTRA_PACKAGES:-})
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ "${KV_INSTALL_ONLY:-0}" = "1" ] && exit 0

# Paths below the clone are hashed relative to it, so that a fresh clone in
# another folder (CI) reuses what an earlier one compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

BUILD_DIR="${KV_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${KV_BUILD_TYPE:-RelWithDebInfo}" ${KV_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
