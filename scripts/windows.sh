#!/usr/bin/env bash
# Builds the Windows x86-64 release of the configurator, the command-line
# companion and the stand-in updater, cross-compiled with Debian's mingw-w64
# against a static Qt built from Debian's own qtbase source.
#
#   scripts/windows.sh            toolchain (cached), then the project and the zip
#   scripts/windows.sh --test     the same, then every test program under Wine
#   scripts/windows.sh --toolchain-only
#
# Static Qt, pugixml and net-snmp's library are built once into $KV_WIN_CACHE
# (default ~/.cache/kv52013) and reused while their recipe stays the same.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"

MODE="${1:-build}"
CACHE="${KV_WIN_CACHE:-$HOME/.cache/kv52013}"
QT_VERSION=6.4.2
QT_PREFIX="$CACHE/qt-$QT_VERSION-mingw64"
PUGI_PREFIX="$CACHE/pugixml-mingw64"
NETSNMP_PREFIX="$CACHE/net-snmp-mingw64"
SRC_DIR="$CACHE/src"
JOBS="$(nproc)"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

say() { echo "== $*"; }

# --- what the build needs from Debian --------------------------------------
install_packages() {
  # snmpd: the agent of the SNMP tests under Wine.
  local packages=(g++-mingw-w64-x86-64-posix wine64 qt6-base-dev qt6-base-dev-tools cmake ninja-build
                  dpkg-dev xz-utils zip unzip pkg-config snmpd)
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Fetches a Debian source package into $SRC_DIR; the deb-src entry lives in a
# file of its own only while it is needed.
fetch_source() {
  local package="$1"
  mkdir -p "$SRC_DIR"
  if compgen -G "$SRC_DIR/$package-*/" >/dev/null; then
    return
  fi
  local list=/etc/apt/sources.list.d/kv52013-src.sources
  say "fetching Debian's $package source"
  $SUDO tee "$list" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $SUDO apt-get update -qq -o Dir::Etc::sourcelist="$list" -o Dir::Etc::sourceparts=- -o APT::Get::List-Cleanup=0
  (cd "$SRC_DIR" && apt-get source -qq --download-only "$package" && dpkg-source -x "$(ls ${package}_*.dsc | head -1)" >/dev/null)
  $SUDO rm -f "$list"
  $SUDO apt-get update -qq
}

# The recipe of the static Qt: a change here rebuilds the cache.
QT_CONFIGURE=(
  -release -static -static-runtime -prefix "$QT_PREFIX"
  -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
  -qt-host-path /usr
  -nomake examples -nomake tests
  -opensource -confirm-license
  -no-opengl -no-dbus -no-icu -no-glib -no-fontconfig -no-openssl -schannel
  -qt-zlib -qt-pcre -qt-freetype -qt-harfbuzz -qt-libpng -no-libjpeg -no-gif
  -no-feature-sql -no-feature-printsupport -no-feature-concurrent -no-feature-testlib_selfcover
  -no-feature-tabletevent -no-feature-vulkan
  -no-feature-textodfwriter -no-feature-textmarkdownreader -no-feature-textmarkdownwriter
  -submodules qtbase
  --
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
  -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)

# The clone's own path is no part of it, so that every clone shares the cache.
recipe_stamp() {
  { printf '%s\n' "${QT_CONFIGURE[@]}" | sed "s|$ROOT|ROOT|g"; cat "$ROOT/cmake/mingw-w64-x86_64.cmake"; } \
    | sha256sum | cut -c1-16
}

build_qt() {
  local stamp; stamp="$(recipe_stamp)"
  if [ -f "$QT_PREFIX/.kv-recipe" ] && [ "$(cat "$QT_PREFIX/.kv-recipe")" = "$stamp" ]; then
    say "static Qt for Windows: cached in $QT_PREFIX"
    return
  fi
  fetch_source qt6-base
  local src; src="$(ls -d "$SRC_DIR"/qt6-base-*/ | head -1)"
  local build="$CACHE/build-qt"
  rm -rf "$build" "$QT_PREFIX"
  mkdir -p "$build"
  say "building static Qt $QT_VERSION for Windows (about 35 minutes on 2 cores; log: $CACHE/qt-build.log)"
  (
    cd "$build"
    "$src/configure" "${QT_CONFIGURE[@]}"
    cmake --build . --parallel "$JOBS"
    cmake --install .
  ) >"$CACHE/qt-build.log" 2>&1 || { tail -40 "$CACHE/qt-build.log"; exit 1; }
  echo "$stamp" >"$QT_PREFIX/.kv-recipe"
  rm -rf "$build"
}

build_pugixml() {
  if [ -f "$PUGI_PREFIX/.kv-done" ]; then
    say "pugixml for Windows: cached in $PUGI_PREFIX"
    return
  fi
  fetch_source pugixml
  local src; src="$(ls -d "$SRC_DIR"/pugixml-*/ | head -1)"
  local build="$CACHE/build-pugixml"
  rm -rf "$build" "$PUGI_PREFIX"
  say "building pugixml for Windows"
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX="$PUGI_PREFIX" >/dev/null
  cmake --build "$build" >/dev/null
  cmake --install "$build" >/dev/null
  touch "$PUGI_PREFIX/.kv-done"
  rm -rf "$build"
}

# The recipe of net-snmp's library: the client side only (no agent, no
# programs, no MIB files), static, no OpenSSL (SNMPv1/v2c need none), no Unix
# domain sockets.  A change here, in netsnmp_steps or in Debian's source
# version rebuilds net-snmp alone.
NETSNMP_CONFIGURE=(
  --host=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix
  --prefix="$NETSNMP_PREFIX"
  --with-defaults --disable-agent --disable-applications --disable-manuals --disable-scripts
  --disable-embedded-perl --without-perl-modules --disable-mibs --without-openssl
  --disable-shared --enable-static --with-out-transports=Unix
)

# Run in the unpacked source, which Debian's patches are applied to.  The
# steps are chained: errexit does not hold left of the caller's ||.
netsnmp_steps() {
  ./configure "${NETSNMP_CONFIGURE[@]}" &&
    make -j"$JOBS" -C snmplib &&
    make installheaders &&
    make -C snmplib install
}

netsnmp_stamp() {
  { printf '%s\n' "${NETSNMP_CONFIGURE[@]}" | sed "s|$CACHE|CACHE|g"; declare -f netsnmp_steps; basename "$1"; } \
    | sha256sum | cut -c1-16
}

build_netsnmp() {
  fetch_source net-snmp
  local dsc; dsc="$(ls "$SRC_DIR"/net-snmp_*.dsc | head -1)"
  local stamp; stamp="$(netsnmp_stamp "$dsc")"
  if [ -f "$NETSNMP_PREFIX/.kv-recipe" ] && [ "$(cat "$NETSNMP_PREFIX/.kv-recipe")" = "$stamp" ]; then
    say "net-snmp for Windows: cached in $NETSNMP_PREFIX"
    return
  fi
  local build="$CACHE/build-net-snmp"
  local log="$CACHE/net-snmp-build.log"
  rm -rf "$build" "$NETSNMP_PREFIX"
  mkdir -p "$build"
  say "building net-snmp's library for Windows (about 5 minutes on 2 cores)"
  (
    # A fresh copy with the patches that dpkg-source applies; the build
    # writes into its source folder.
    dpkg-source -x "$dsc" "$build/src" && cd "$build/src" && netsnmp_steps
  ) >"$log" 2>&1 || { tail -40 "$log"; echo "== net-snmp's build failed: whole log in $log"; exit 1; }
  echo "$stamp" >"$NETSNMP_PREFIX/.kv-recipe"
  rm -rf "$build"
}

install_packages
mkdir -p "$CACHE"
build_qt
build_pugixml
build_netsnmp
[ "$MODE" = "--toolchain-only" ] && exit 0

BUILD="$ROOT/build-windows"
say "building the project for Windows into $BUILD"
# Paths below the clone are hashed relative to it (see setup.sh).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKV_WIN_CACHE="$CACHE" -DKV_WIN_PREFIX="$QT_PREFIX;$PUGI_PREFIX;$NETSNMP_PREFIX" >/dev/null
cmake --build "$BUILD" --parallel "$JOBS"

# The archive: unzipped anywhere and started by double-click.
VERSION="$(sed -n 's/^project(kv52013 VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
NAME="KV52013-$VERSION-win64"
STAGE="$BUILD/$NAME"
rm -rf "$STAGE" "$BUILD/$NAME.zip"
mkdir -p "$STAGE/LANGUAGE"
cp "$BUILD/bin/kv52013.exe" "$BUILD/bin/kv52013-cli.exe" "$BUILD/bin/Ethernet_Update.exe" "$STAGE/"
cp "$ROOT"/languages/*.lng "$ROOT"/languages/*.bmp "$STAGE/LANGUAGE/"
mkdir -p "$STAGE/MIBS_BASE" "$STAGE/MIBS"
cp "$ROOT"/mibs/* "$STAGE/MIBS_BASE/"
cp "$ROOT/scripts/windows-readme.txt" "$STAGE/README.txt"
(cd "$BUILD" && zip -qr "$NAME.zip" "$NAME")
say "archive: $BUILD/$NAME.zip"

[ "$MODE" = "--test" ] || exit 0

# Every test program under Wine, offscreen, through the same ctest list as on
# Linux; scripts/wine-run.sh is the test programs' emulator.
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
unset DISPLAY
if [ ! -d "$WINEPREFIX" ]; then
  say "making a Wine prefix"
  timeout 300 /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
fi
# A Windows program cannot start Linux's snmpd: the SNMP tests ask
# scripts/snmp-agents.sh for their agents through a spool folder.
AGENTS="$(mktemp -d)"
"$ROOT/scripts/snmp-agents.sh" "$AGENTS" &
AGENTS_PID=$!
trap 'kill "$AGENTS_PID" 2>/dev/null; wait "$AGENTS_PID" 2>/dev/null; rm -rf "$AGENTS"' EXIT
export KV_SNMP_AGENT_SPOOL="Z:${AGENTS//\//\\}"
say "running the tests under Wine"
(cd "$BUILD" && ctest --output-on-failure -j"$JOBS")
