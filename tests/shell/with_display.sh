#!/usr/bin/env bash
# Runs a command with a display: the current one, or a virtual one for it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/display.sh"
trap stop_display EXIT
start_display
"$@"
