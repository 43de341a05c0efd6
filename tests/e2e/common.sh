# Sourced by the end-to-end scripts (arguments: DIST [32|64]): the architecture, a display, a scratch
# folder $work and, on exit, the program and the display stopped and $work removed (kept on a failure).
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
dist=$(realpath "${1:-$DIST}")
use_wine_arch "${2:-$WINE_ARCH}"
inspector=$(realpath -m "${QUARVEL_INSPECTOR:-$WIN_BUILD/inspector.exe}")
work=$(mktemp -d)
program= failed=
cleanup() {
  [ -n "$program" ] && { kill "$program"; sleep 1; kill -9 "$program"; } 2>/dev/null
  stop_display
  [ -n "$failed" ] || rm -rf "$work"
}
trap cleanup EXIT
ensure_display || exit 1
fail() { failed=1; echo "FAILED: $* (files in $work)" >&2; exit 1; }
pass() { echo "ok: $*"; }
inspect() { timeout 900 "$WINELOADER" "$inspector" "$@" 2>/dev/null | tr -d '\r'; } # win32_window_reader.cpp
await() { inspect wait "$@" >/dev/null; } # TITLE STATE SECONDS
# start DIR NAME: the Windows program in DIR, its output in $work/NAME.log.
start() {
  (cd "$1" && exec "$WINELOADER" "$PROGRAM" >"$work/$2.log" 2>&1) &
  program=$!
}
# sdl_window: quarvel-sdl's window once it stays (its renderer may make it anew after the first).
sdl_window() {
  timeout 20 xdotool search --sync --all --pid $program --name Quarvel >/dev/null || return
  sleep 1
  xdotool search --all --pid $program --name Quarvel | tail -1
}
# ends NAME [CODE]: the program ends within 60 s with CODE (0).
ends() {
  timeout 60 tail --pid="$program" -f /dev/null || fail "$1: the program did not end"
  wait "$program"
  local code=$?
  program=
  [ "$code" = "${2:-0}" ] || fail "$1: exit code $code, expected ${2:-0}"
  pass "$1: the program ended with $code"
}
