# Shared by tools/test and tools/demo: packages, the Wine prefix, and a
# private X display and wine server that are always cleaned up.
# Expects KEL_ROOT and KEL_BUILD to be set by the caller.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

KEL_PACKAGES="cmake make g++-mingw-w64-x86-64 googletest wine64 wine64-tools libwine-dev libx11-dev xvfb xauth
  libgl1-mesa-dri x11-utils imagemagick libvlc-dev libvlc5 vlc-plugin-base vlc-plugin-video-output
  vlc-plugin-visualization"

kel_install_packages() {
  local missing=""
  for p in $KEL_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  echo "== installing:$missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

kel_configure_and_build() {
  cmake -S "$KEL_ROOT" -B "$KEL_BUILD" -DCMAKE_TOOLCHAIN_FILE="$KEL_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$KEL_BUILD" -j"$(nproc)"
  if [ -f "$KEL_ROOT/tools/libvlc-bridge/Makefile" ]; then
    make -s -C "$KEL_ROOT/tools/libvlc-bridge" OUT="$KEL_BUILD/libvlc-bridge"
  fi
}

KEL_XVFB_PID=""
KEL_WINESERVER_PID=""

kel_cleanup() {
  if [ -n "$KEL_WINESERVER_PID" ]; then
    WINEPREFIX="$WINEPREFIX" "$WINESERVER" -k >/dev/null 2>&1 || true
    kill "$KEL_WINESERVER_PID" >/dev/null 2>&1 || true
    wait "$KEL_WINESERVER_PID" 2>/dev/null || true
    KEL_WINESERVER_PID=""
  fi
  if [ -n "$KEL_XVFB_PID" ]; then
    kill "$KEL_XVFB_PID" >/dev/null 2>&1 || true
    wait "$KEL_XVFB_PID" 2>/dev/null || true
    KEL_XVFB_PID=""
  fi
}

# Starts a private Xvfb on a free display number and exports DISPLAY.
kel_start_xvfb() {
  local size="${1:-1024x768x24}"
  local fifo
  fifo=$(mktemp -u /tmp/kel-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  KEL_XVFB_PID=$!
  local display
  read -r -t 20 display <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$display" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$display"
}

# Makes the Wine prefix once (kept between runs) and starts its server.
kel_start_wine() {
  export WINEPREFIX="${WINEPREFIX:-$KEL_BUILD/wineprefix}"
  export WINEDEBUG=-all
  export WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== making the Wine prefix (once)"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE64" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  "$WINESERVER" -f -p >/dev/null 2>&1 &
  KEL_WINESERVER_PID=$!
  # Warm up: the first program after a boot may find the services not ready.
  "$WINE64" cmd /c exit >/dev/null 2>&1 || true
}
