#!/usr/bin/env bash
# Runs a Windows x86_64 program under wine64 in the project's own prefix.
# Used as CTest's cross-compiling emulator and by the window tests.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/.cache/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Prepare the prefix once: boot it and link a Japanese-capable font into the
# menu font. A lock keeps parallel first runs from preparing it twice.
if [ ! -f "$WINEPREFIX/.pindora-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.pindora-ready" ]; then
      /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
      /usr/lib/wine/wine64 regedit /S "$here/wine-fonts.reg" >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver -w || true
      touch "$WINEPREFIX/.pindora-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec /usr/lib/wine/wine64 "$@"
