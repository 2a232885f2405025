#!/usr/bin/env bash
# Makes the Windows downloads build/pindora-win64.zip and build/pindora-win32.zip
# from the two ship folders (building them when needed): each holds one folder
# "pindora" with the program, its worker library, the languages, a README for
# Windows users and the licence.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

fail() {
    echo "package: $*" >&2
    exit 1
}
command -v zip >/dev/null || fail "zip is missing: run scripts/setup.sh"

# Every file carries the date of the last commit (in UTC, as the archive
# stores it), so that the same sources give the same archive.
export TZ=UTC0
stamp=$(git log -1 --format=%cd --date=format-local:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)

# Windows readers expect CR LF line ends.
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

for preset in win64 win32; do
    ship="build/$preset/pindora"
    log="build/$preset-package.log"
    mkdir -p build
    { [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset"; } >"$log" 2>&1 ||
        fail "configuring $preset failed; see $log"
    cmake --build "build/$preset" -j2 --target pindora tessarub language_libraries >>"$log" 2>&1 ||
        fail "building $preset failed; see $log"

    # What the user gets is exactly what is built for shipping.
    strays=$(cd "$ship" && find . -mindepth 1 | sed 's|^\./||' |
        grep -Ev '^(pindora\.exe|tessarub\.dll|language|language/[^/]+\.dll)$' || true)
    [ -z "$strays" ] || fail "$ship holds more than pindora.exe, tessarub.dll and language/: $(echo $strays)"
    ls "$ship"/language/*.dll >/dev/null 2>&1 || fail "$ship/language holds no language library"

    stage="build/package-$preset"
    rm -rf "$stage"
    mkdir -p "$stage/pindora"
    cp -r "$ship/pindora.exe" "$ship/tessarub.dll" "$ship/language" "$stage/pindora/"
    crlf docs/README-windows.txt "$stage/pindora/README.txt"
    crlf LICENSE "$stage/pindora/LICENSE.txt"
    find "$stage/pindora" -exec touch -h -t "$stamp" {} +

    archive="$root/build/pindora-$preset.zip"
    rm -f "$archive"
    (cd "$stage" && find pindora | LC_ALL=C sort | zip -X -q "$archive" -@) ||
        fail "zip could not write $archive"
    rm -rf "$stage"
    echo "package: build/pindora-$preset.zip ($(($(stat -c %s "$archive") / 1024)) KiB)"
done
