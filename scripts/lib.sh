# Shared by the scripts: paths, the Wine environment of each architecture and a private X
# display.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build
NATIVE_BUILD=$BUILD/native
WEB_BUILD=$BUILD/web
DIST=$ROOT/dist
export WINEDEBUG=-all
# No prompt for the .NET and HTML runtimes the program does not use, and no debugger on a
# crash: a crashing test program ends at once instead of waiting on winedbg.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Without a sound card Wine's ALSA driver only fills the terminal with libasound's complaints;
# the programs play silently either way.
no_sound_card() { ! grep -qv "no soundcards" /proc/asound/cards 2>/dev/null; }
no_sound_card && WINEDLLOVERRIDES+=";winealsa.drv=d"

# The Windows side is built twice: 32-bit (quarvel.exe, the program as described) and 64-bit
# (quarvel64.exe, for machines whose kernel runs no 32-bit code). /usr/bin/wine prefers the
# 32-bit loader whenever wine32 is installed, even where it cannot execute, so every Wine call
# here goes through the loader of the architecture chosen by use_wine_arch.
WINE32_LOADER=/usr/lib/wine/wine
WINE64_LOADER=/usr/lib/wine/wine64

# use_wine_arch 32|64: the build tree, program, prefix and loader of that architecture.
# QUARVEL_WINEPREFIX names other prepared prefixes (with 32 or 64 appended), to keep a run
# apart from other Wine sessions.
use_wine_arch() {
  WINE_ARCH=$1
  WIN_BUILD=$BUILD/win$1
  export WINEPREFIX=${QUARVEL_WINEPREFIX:-$BUILD/wineprefix}$1
  if [ "$1" = 32 ]; then
    PROGRAM=quarvel.exe
    export WINEARCH=win32 WINELOADER=$WINE32_LOADER
  else
    PROGRAM=quarvel64.exe
    export WINEARCH=win64 WINELOADER=$WINE64_LOADER
  fi
}
wine() { "$WINELOADER" "$@"; }
wineserver() { /usr/lib/wine/wineserver "$@"; }

# Why the 32-bit loader cannot run here, or nothing when it can.
why_no_wine32() {
  [ -x "$WINE32_LOADER" ] || { echo "wine32 is not installed"; return; }
  local out
  out=$("$WINE32_LOADER" --version 2>&1) && return
  echo "the 32-bit Wine loader does not start (${out##*: })"
}

# The architectures to run, from QUARVEL_WINE_ARCHS ("32", "64" or "32,64") or, without it,
# the ones this machine executes: 64 always, 32 where the 32-bit loader really runs.
wine_archs() {
  local wanted=${QUARVEL_WINE_ARCHS:-} a archs=
  if [ -z "$wanted" ]; then
    [ -z "$(why_no_wine32)" ] && archs="32 "
    echo "${archs}64"
    return
  fi
  for a in ${wanted//,/ }; do
    case $a in
      32|64) [[ " $archs " == *" $a "* ]] || archs+="$a " ;;
      *) echo "QUARVEL_WINE_ARCHS: '$a' is not 32 or 64" >&2; return 1 ;;
    esac
  done
  echo "${archs% }"
}

# The default is the architecture of the program as described, where it runs.
use_wine_arch "$( [ -z "$(why_no_wine32)" ] && echo 32 || echo 64)"

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

# The page in dist/web/: the module and its page, quarvel-tool for node (build/web) and the
# default data set with the tune rendered to Ogg Vorbis, since browsers play no MIDI. fluidsynth
# renders the same bytes each run, and oggenc's stream serial is fixed, so the file is too.
build_web() {
  # emcc runs its JavaScript parts with the machine's node, which may not look in Debian's
  # module folder; and emcmake's emulator flag is one that node 20 refuses.
  export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
  mkdir -p "$BUILD"
  emcmake cmake -S "$ROOT" -B "$WEB_BUILD" -G Ninja -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" \
    >"$BUILD/web-configure.log" 2>&1 || { cat "$BUILD/web-configure.log" >&2; return 1; }
  cmake --build "$WEB_BUILD" -j "$1"
  local web=$DIST/web data=$BUILD/data
  "$NATIVE_BUILD/quarvel-tool" mkdata "$data" >/dev/null
  mkdir -p "$web/mus"
  cp "$ROOT/src/web/index.html" "$ROOT/src/web/page.js" "$WEB_BUILD"/{quarvel,bench}.{js,wasm} "$web/"
  cp -r "$data/fc.ini" "$data/sc" "$data/snd" "$web/"
  if ! cmp -s "$data/mus/3d.mid" "$WEB_BUILD/3d.ogg.mid" || [ ! -f "$WEB_BUILD/3d.ogg" ]; then
    fluidsynth -ni -q -F "$WEB_BUILD/3d.wav" -r 44100 -T wav /usr/share/sounds/sf2/TimGM6mb.sf2 \
      "$data/mus/3d.mid" >/dev/null
    oggenc -Q -s 1 -q 3 -o "$WEB_BUILD/3d.ogg" "$WEB_BUILD/3d.wav"
    rm -f "$WEB_BUILD/3d.wav"
    cp "$data/mus/3d.mid" "$WEB_BUILD/3d.ogg.mid"
  fi
  cp "$WEB_BUILD/3d.ogg" "$web/mus/3d.ogg"
  echo "build: dist/web/ is ready"
}
