#!/usr/bin/env bash
# Checks the floors of the source tree: a folder includes headers only from
# itself and from folders on a lower floor (see the README's Layout).
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A floor=([base]=0 [settings]=1 [worker]=1 [canvas]=2 [view]=3 [reference]=3 [engine]=4
    [record]=5 [input]=5 [app]=6)
# Practice sessions sit on the floor of record/ and input/, below the shell.
floor[practice]=5
status=0
for folder in "${!floor[@]}"; do
    while IFS=: read -r file _ line; do
        target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
        [ "$target" = "$folder" ] && continue
        [ -z "${floor[$target]+set}" ] && continue
        if [ "${floor[$target]}" -ge "${floor[$folder]}" ]; then
            echo "layers: $file includes $target/ (floor ${floor[$target]}) from floor ${floor[$folder]}"
            status=1
        fi
    done < <(grep -rnE '^#include "[a-z]+/' "$folder" --include='*.h' --include='*.cpp' || true)
done
[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
