# Shared by the scripts: paths, the Wine environment and a private X display.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build
NATIVE_BUILD=$BUILD/native
WIN_BUILD=$BUILD/win
DIST=$ROOT/dist
# QUARVEL_WINEPREFIX names another prepared prefix, to keep a run apart from other Wine sessions.
export WINEPREFIX=${QUARVEL_WINEPREFIX:-$BUILD/wineprefix}
export WINEDEBUG=-all
export WINEARCH=win32
# No prompt for the .NET and HTML runtimes the program does not use.
export WINEDLLOVERRIDES="mscoree,mshtml="

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Starts Xvfb on a free display when DISPLAY is empty; STARTED_XVFB holds its PID.
STARTED_XVFB=
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 91 140); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    STARTED_XVFB=$!
    export DISPLAY=:$n
    local i
    for i in $(seq 50); do
      [ -e /tmp/.X11-unix/X$n ] && return 0
      kill -0 "$STARTED_XVFB" 2>/dev/null || break
      sleep 0.1
    done
    kill "$STARTED_XVFB" 2>/dev/null; STARTED_XVFB=; unset DISPLAY
  done
  echo "could not start Xvfb" >&2
  return 1
}

stop_display() {
  if [ -n "$STARTED_XVFB" ]; then
    kill "$STARTED_XVFB" 2>/dev/null
    wait "$STARTED_XVFB" 2>/dev/null
    STARTED_XVFB=
  fi
}

# Starts Wine's own services with nothing of ours to inherit: started by a program whose
# output goes to a pipe, they would keep that pipe open after the program has ended.
start_wine_services() {
  wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
}
