# Shared by tools/test and tools/demo: packages, the Wine prefix, and a
# private X display and wine server that are always cleaned up.
# Expects KEL_ROOT and KEL_BUILD to be set by the caller.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# A WINEPREFIX from the caller's environment (someone's everyday prefix) is
# never used: the build folder keeps its own. A script may still set one of its
# own after sourcing this, or pass one to kel_start_wine.
unset WINEPREFIX
# What tools/wine-run takes for this run's own prefix and display (the tests
# run nowhere else); set below as each is made, never inherited.
unset KEL_HARNESS_WINEPREFIX KEL_HARNESS_DISPLAY

# fonts-dejavu-core: libvlc's text renderer draws the items' titles with it.
KEL_PACKAGES="cmake make g++-mingw-w64-x86-64 googletest wine64 wine64-tools libwine-dev libx11-dev libxext-dev xvfb xauth
  libgl1-mesa-dri x11-utils imagemagick libvlc-dev libvlc5 vlc-plugin-base vlc-plugin-video-output
  vlc-plugin-visualization fonts-dejavu-core xdotool"

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
KEL_WINE_PREFIX=""
KEL_CHILD_PID=""

# Safe to call more than once: each step forgets what it stopped.
kel_cleanup() {
  if [ -n "$KEL_CHILD_PID" ]; then
    kill "$KEL_CHILD_PID" >/dev/null 2>&1 || true
    wait "$KEL_CHILD_PID" 2>/dev/null || true
    KEL_CHILD_PID=""
  fi
  if [ -n "$KEL_WINE_PREFIX" ]; then
    WINEPREFIX="$KEL_WINE_PREFIX" "$WINESERVER" -k >/dev/null 2>&1 || true
    KEL_WINE_PREFIX=""
  fi
  if [ -n "$KEL_WINESERVER_PID" ]; then
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

# Cleans up on every way out; an interrupted run still ends as a failure
# (bash would otherwise carry on with the next command after the handler).
kel_install_traps() {
  trap kel_cleanup EXIT
  trap 'kel_cleanup; exit 130' INT
  trap 'kel_cleanup; exit 143' TERM
}

# Runs a command in the background and waits for it, so INT and TERM reach
# the traps at once rather than after the command; returns its exit code.
kel_run_child() {
  "$@" &
  KEL_CHILD_PID=$!
  local code=0
  wait "$KEL_CHILD_PID" || code=$?
  KEL_CHILD_PID=""
  return "$code"
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
  export KEL_HARNESS_DISPLAY="$DISPLAY"
}

# True once the wine server we started listens on its socket. Wine binds the
# socket by a relative name, so it is found by the inode of the server's own
# descriptor; a listening socket has the flag 00010000 in /proc/net/unix.
kel_wineserver_listening() {
  local inode
  for inode in $(readlink /proc/"$KEL_WINESERVER_PID"/fd/* 2>/dev/null | sed -n 's/^socket:\[\([0-9]*\)\]$/\1/p'); do
    awk -v inode="$inode" '$7 == inode && $4 == "00010000" { found = 1 } END { exit !found }' /proc/net/unix &&
      return 0
  done
  return 1
}

# Without a sound card libvlc's audio output fails, the decoder gives up and
# no visualisation runs; the dummy output is no stand-in, it ends a file at
# once. ALSA's null device as the default takes the sound at its real pace (a
# 10 s tone plays for about 9 s, as on a card). A machine with a card keeps
# its own configuration.
kel_silent_sound_device() {
  if compgen -G "/dev/snd/pcmC*p" >/dev/null; then
    return 0
  fi
  local conf="$KEL_BUILD/alsa-silent.conf"
  mkdir -p "$KEL_BUILD"
  {
    [ -f /usr/share/alsa/alsa.conf ] && echo "</usr/share/alsa/alsa.conf>"
    echo "pcm.!default { type null }"
  } >"$conf"
  export ALSA_CONFIG_PATH="$conf"
}

# Makes the Wine prefix once (kept between runs) and starts its server.
# Usage: kel_start_wine [prefix]; without one, a WINEPREFIX the calling script
# set itself, otherwise the build folder's own.
kel_start_wine() {
  export WINEPREFIX="${1:-${WINEPREFIX:-$KEL_BUILD/wineprefix}}"
  export WINEDEBUG=-all
  export WINEARCH=win64
  kel_silent_sound_device
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== making the Wine prefix (once)"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE64" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  KEL_WINE_PREFIX="$WINEPREFIX"
  export KEL_HARNESS_WINEPREFIX="$WINEPREFIX"
  "$WINESERVER" -f -p >/dev/null 2>&1 &
  KEL_WINESERVER_PID=$!
  # A program started before the server listens would start a second server
  # of its own, which nobody stops.
  local tries=0
  until kel_wineserver_listening; do
    if ! kill -0 "$KEL_WINESERVER_PID" 2>/dev/null; then
      # It found a server left over for this prefix (a run killed hard); that
      # one answers, and kel_cleanup stops it with the prefix.
      echo "== a wine server already runs for $WINEPREFIX; using it" >&2
      KEL_WINESERVER_PID=""
      break
    fi
    tries=$((tries + 1))
    if [ "$tries" -gt 200 ]; then
      echo "the wine server did not start" >&2
      return 1
    fi
    sleep 0.05
  done
  # Warm up: the first program after a boot may find the services not ready.
  "$WINE64" cmd /c exit >/dev/null 2>&1 || true
}
