#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: the native core suite
# (plain and under ASan + UBSan), the Windows x86_64 build and its tests under
# wine64 on a virtual display, the Windows i686 build with its static checks
# and its worker library run in a 32-bit x86 emulator against the native
# passes, the two Windows downloads (zip archives), the fuzzers for a bounded
# time, and the benchmarks (printed as ratios, each the least disturbed of
# three runs).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fuzz_seconds="${PINDORA_FUZZ_SECONDS:-30}"
bench_min_time="${PINDORA_BENCH_MIN_TIME:-0.3}"
bench_repetitions="${PINDORA_BENCH_REPETITIONS:-3}"

bash scripts/setup.sh || { echo "setup failed"; exit 1; }

passed=0
failed=0
failures=()
step() {
    local name="$1"
    shift
    echo
    echo "=== $name"
    local started=$SECONDS
    if "$@"; then
        passed=$((passed + 1))
        echo "=== $name: ok ($((SECONDS - started)) s)"
    else
        failed=$((failed + 1))
        failures+=("$name")
        echo "=== $name: FAILED ($((SECONDS - started)) s)"
    fi
}

build() {
    local preset="$1"
    shift
    local log="build/$preset.log"
    if ! cmake --preset "$preset" -DPINDORA_WERROR=ON "$@" >"$log" 2>&1 ||
        ! cmake --build "build/$preset" -j2 >>"$log" 2>&1; then
        grep -E -A4 'error|Error|FAILED' "$log" | head -120
        return 1
    fi
}

run_ctest() { ctest --test-dir "build/$1" --output-on-failure -j1 --timeout 600; }

# A virtual display for the Windows program when there is no real one; the
# clean-up stops what the run left in the project's own wine prefix.
source scripts/display.sh
start_display || exit 1
export WINEPREFIX="$root/.cache/wineprefix"
cleanup() {
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    stop_display
}
trap cleanup EXIT

mkdir -p build
step "layers" bash scripts/check-layers.sh
step "native build" build native
step "native tests" run_ctest native
step "sanitizer build" build native-asan
step "sanitizer tests" run_ctest native-asan
step "win64 build" build win64
step "win64 tests (wine64, Xvfb)" run_ctest win64
step "win32 build" build win32
step "win32 checks" run_ctest win32
# The system Python's: python3-unicorn and python3-pefile belong to it.
run_emulated_workers() {
    /usr/bin/python3 tests/emu/run_workers.py build/win32/pindora/tessarub.dll \
        build/native/tests/tessarub_band_cases
}
step "win32 worker library (emulated)" run_emulated_workers
# The Windows downloads: exactly the program, its library, the languages, the
# README and the licence, built for the right machine.
check_packages() {
    bash scripts/package.sh || return 1
    local preset format listing status=0 unpacked
    for preset in win64 win32; do
        local archive="build/pindora-$preset.zip"
        unzip -tq "$archive" >/dev/null || { echo "$archive is damaged"; status=1; continue; }
        listing=$(unzip -Z1 "$archive" | LC_ALL=C sort | tr '\n' ' ')
        if [ "$listing" != "pindora/ pindora/LICENSE.txt pindora/README.txt pindora/language/ pindora/language/English.dll pindora/language/Japanese.dll pindora/pindora.exe pindora/tessarub.dll " ]; then
            echo "$archive holds: $listing"
            status=1
        fi
        unpacked=$(mktemp -d)
        unzip -q "$archive" -d "$unpacked"
        [ "$preset" = win64 ] && format=pei-x86-64 || format=pei-i386
        for binary in pindora.exe tessarub.dll; do
            x86_64-w64-mingw32-objdump -f "$unpacked/pindora/$binary" | grep -q "file format $format" ||
                { echo "$archive: $binary is not $format"; status=1; }
        done
        rm -rf "$unpacked"
    done
    return $status
}
step "packages" check_packages
step "fuzz build" build fuzz
run_fuzzers() {
    local status=0
    for fuzzer in build/fuzz/fuzz/*_fuzz; do
        [ -x "$fuzzer" ] || continue
        local name corpus
        name=$(basename "$fuzzer")
        corpus="build/fuzz/corpus-$name"
        mkdir -p "$corpus"
        [ -d "fuzz/seeds/$name" ] && cp -n fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null
        echo "--- $name for ${fuzz_seconds} s"
        "$fuzzer" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=1 \
            "$corpus" 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|BINGO' || true
        [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    done
    return $status
}
step "fuzzers" run_fuzzers
run_benchmarks() {
    # The benchmarks time against memory baselines: nothing else of ours may
    # run beside them (the wine server and the virtual display go first).
    cleanup
    build/native/bench/pindora_bench --benchmark_min_time="$bench_min_time" \
        --benchmark_repetitions="$bench_repetitions" --benchmark_counters_tabular=true
}
step "benchmarks" run_benchmarks

echo
[ $failed -gt 0 ] && printf 'failed: %s\n' "${failures[@]}"
echo "suites: $passed passed, $failed failed"
[ $failed -eq 0 ]
