# shellcheck shell=bash
# The fuzz targets of tests/fuzz (libFuzzer, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer). Source scripts/lib/common.sh first; this file defines
# functions only.
#
#   tavik_build_fuzz [DIR]        install clang if needed, configure and build the targets
#   tavik_fuzz_targets            print the target names (tests/fuzz/<name>_fuzz.cpp)
#   tavik_run_fuzz_target DIR NAME [libFuzzer options...]
#                                 run one target on its committed corpus, new units going to
#                                 a temporary folder; prints one summary line
#   tavik_run_fuzz_smoke [DIR]    build, then run each target for a few seconds; sets
#                                 FUZZ_PASSED and FUZZ_FAILED (one count per target)
#
# DIR is the build folder; default $TAVIK_FUZZ_BUILD_DIR, else build/fuzz. Crash inputs are
# kept in DIR/artifacts; the repository's corpus is only read.

TAVIK_FUZZ_PACKAGES=(clang libclang-rt-14-dev cmake ninja-build)
TAVIK_FUZZ_SMOKE_SECONDS=3

_tavik_fuzz_root() { (cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd); }

_tavik_fuzz_dir() { printf '%s\n' "${1:-${TAVIK_FUZZ_BUILD_DIR:-$(_tavik_fuzz_root)/build/fuzz}}"; }

tavik_fuzz_targets() {
    local f
    for f in "$(_tavik_fuzz_root)"/tests/fuzz/*_fuzz.cpp; do
        f="${f##*/}"
        printf '%s\n' "${f%_fuzz.cpp}"
    done
}

tavik_build_fuzz() {
    local dir root log
    dir="$(_tavik_fuzz_dir "${1:-}")"
    root="$(_tavik_fuzz_root)"
    tavik_install_packages "${TAVIK_FUZZ_PACKAGES[@]}" || return 1
    mkdir -p "$dir" || return 1
    log="$dir/build.log"
    tavik_log "building the fuzz targets in $dir"
    if ! CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$dir" -G Ninja >"$log" 2>&1 ||
        ! cmake --build "$dir" -j "$(nproc)" >>"$log" 2>&1; then
        tail -n 60 "$log"
        tavik_log "build of the fuzz targets failed"
        return 1
    fi
}

# Runs DIR/NAME_fuzz on tests/fuzz/corpus/NAME. Prints "NAME: ok|FAILED, N executions in
# S s (R/s), cov C" and, on a failure, the report and the kept input. Returns the target's
# status.
tavik_run_fuzz_target() {
    local dir="$1" name="$2" root new log rc=0 start end runs cov seconds rate
    shift 2
    root="$(_tavik_fuzz_root)"
    new="$(mktemp -d "${TMPDIR:-/tmp}/tavik-fuzz-$name.XXXXXX")" || return 1
    log="$dir/$name.log"
    mkdir -p "$dir/artifacts"
    start="$(date +%s.%N)"
    "$dir/${name}_fuzz" -print_final_stats=1 -timeout=10 -artifact_prefix="$dir/artifacts/$name-" "$@" \
        "$new" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1 || rc=$?
    end="$(date +%s.%N)"
    rm -rf "$new"
    runs="$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n1)"
    cov="$(sed -n 's/^#[0-9]*.*DONE *cov: *\([0-9]*\).*/\1/p' "$log" | tail -n1)"
    seconds="$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", e - s }')"
    rate="$(awk -v n="${runs:-0}" -v s="$start" -v e="$end" 'BEGIN { printf "%.0f", (e > s) ? n / (e - s) : 0 }')"
    if ((rc == 0)); then
        printf '%s: ok, %s executions in %s s (%s/s), cov %s\n' "$name" "${runs:-?}" "$seconds" "$rate" "${cov:-?}"
    else
        printf '%s: FAILED (exit %d) after %s executions in %s s; log %s\n' "$name" "$rc" "${runs:-?}" "$seconds" "$log"
        grep -E 'property failed|ERROR: |runtime error|SUMMARY|Test unit written' "$log" | head -n 20
    fi
    return "$rc"
}

tavik_run_fuzz_smoke() {
    local dir name
    FUZZ_PASSED=0
    FUZZ_FAILED=0
    dir="$(_tavik_fuzz_dir "${1:-}")"
    if ! tavik_build_fuzz "$dir"; then
        FUZZ_FAILED=1
        return 1
    fi
    while IFS= read -r name; do
        tavik_log "fuzzing $name for ${TAVIK_FUZZ_SMOKE_SECONDS} s"
        if tavik_run_fuzz_target "$dir" "$name" -max_total_time="$TAVIK_FUZZ_SMOKE_SECONDS"; then
            FUZZ_PASSED=$((FUZZ_PASSED + 1))
        else
            FUZZ_FAILED=$((FUZZ_FAILED + 1))
        fi
    done < <(tavik_fuzz_targets)
    ((FUZZ_FAILED == 0))
}
