# shellcheck shell=bash
# End-to-end run under Wine + Xvfb. Source scripts/lib/common.sh first.
#
#   tavik_run_e2e BUILD_DIR [GTEST ARGS...]
#
# BUILD_DIR is the mingw build folder (holding tavik.exe, and e2e/ with
# tavik_e2e.exe, target_app.exe and the stand-in wineboot.exe). The run uses a
# fresh prefix and a private display, and stops and removes everything it
# started. Afterwards E2E_PASSED and E2E_FAILED hold the counts (a driver that
# crashed or timed out counts as at least one failure), E2E_LOG the log path.
# Returns 0 when nothing failed.

TAVIK_E2E_TIMEOUT="${TAVIK_E2E_TIMEOUT:-900}"

_tavik_find_exe() { # DIR NAME [PREFERRED SUBDIR]
    local dir="$1" name="$2" sub="${3:-}"
    if [[ -n "$sub" && -f "$dir/$sub/$name" ]]; then
        printf '%s\n' "$dir/$sub/$name"
    elif [[ -f "$dir/$name" ]]; then
        printf '%s\n' "$dir/$name"
    else
        find "$dir" -name "$name" -type f -print -quit 2>/dev/null
    fi
}

tavik_run_e2e() {
    local build="$1"
    shift
    E2E_PASSED=0
    E2E_FAILED=0
    E2E_LOG=""

    local app driver target standin
    app="$(_tavik_find_exe "$build" tavik.exe)"
    driver="$(_tavik_find_exe "$build" tavik_e2e.exe e2e)"
    target="$(_tavik_find_exe "$build" target_app.exe e2e)"
    standin="$(_tavik_find_exe "$build" wineboot.exe e2e)"
    local f
    for f in app driver target standin; do
        if [[ -z "${!f}" ]]; then
            tavik_log "e2e: $f executable not found under $build"
            E2E_FAILED=1
            return 1
        fi
    done

    local prefix
    prefix="$(tavik_wine_prefix)" || {
        E2E_FAILED=1
        return 1
    }
    local rundir="$prefix/drive_c/tavik"
    mkdir -p "$rundir"
    cp "$app" "$driver" "$target" "$rundir/"
    # DLLs built with the driver (hook probes it loads into tavik.exe) go beside it.
    local dll
    for dll in "$(dirname "$driver")"/*.dll; do
        [[ -f "$dll" ]] && cp "$dll" "$rundir/"
    done
    # ExitWindowsEx runs system32\wineboot.exe; the stand-in records the request
    # instead of ending the session. Wine also runs "wineboot --init" at the start
    # of every session (first process of a new wineserver), and that one must be
    # Wine's own. So: start a persistent wineserver, open the session with a
    # process that has no override (the built-in wineboot initialises it), and
    # only then run the driver with WINEDLLOVERRIDES=wineboot.exe=n, which it and
    # everything it starts inherit (Wine reads the override from the Unix
    # environment a process inherits).
    cp "$standin" "$prefix/drive_c/windows/system32/wineboot.exe"

    local xvfb_started=0
    if ! tavik_start_xvfb; then
        tavik_remove_prefix "$prefix"
        E2E_FAILED=1
        return 1
    fi
    xvfb_started=1

    E2E_LOG="${TAVIK_E2E_LOG:-${build}/e2e.log}"
    local rc=0
    tavik_log "e2e: running the driver on display $DISPLAY in $prefix"
    (
        tavik_wine_env
        export WINEPREFIX="$prefix"
        cd "$rundir" || exit 1
        wineserver -p || exit 1
        timeout 120 wine cmd.exe /c exit 0 || { echo "e2e: could not start a wine session"; exit 1; }
        export WINEDLLOVERRIDES="wineboot.exe=n;$WINEDLLOVERRIDES"
        timeout -k 10 "$TAVIK_E2E_TIMEOUT" wine 'C:\tavik\tavik_e2e.exe' --gtest_brief=0 "$@"
    ) >"$E2E_LOG.raw" 2>&1 || rc=$?

    # Texts the driver prints are code page 936.
    iconv -f GB18030 -t UTF-8 -c <"$E2E_LOG.raw" >"$E2E_LOG" 2>/dev/null || cp "$E2E_LOG.raw" "$E2E_LOG"
    rm -f "$E2E_LOG.raw"
    grep -v -e 'wine32 is missing' -e 'multiarch needs' -e 'dpkg --add-architecture' \
        -e 'apt-get install wine32' "$E2E_LOG"

    # Stop what this run started: the prefix's processes, then the display.
    tavik_remove_prefix "$prefix"
    if ((xvfb_started)) && [[ -n "${TAVIK_XVFB_PID:-}" ]]; then
        kill "$TAVIK_XVFB_PID" 2>/dev/null
        wait "$TAVIK_XVFB_PID" 2>/dev/null
        if [[ -f "$TAVIK_STATE_DIR/pids" ]]; then
            grep -vxF -- "$TAVIK_XVFB_PID" "$TAVIK_STATE_DIR/pids" >"$TAVIK_STATE_DIR/pids.new" || true
            mv "$TAVIK_STATE_DIR/pids.new" "$TAVIK_STATE_DIR/pids"
        fi
        unset TAVIK_XVFB_PID DISPLAY
    fi

    local passed failed
    passed="$(sed -n 's/^\[  PASSED  \] \([0-9][0-9]*\) tests\{0,1\}\..*/\1/p' "$E2E_LOG" | tail -n1)"
    failed="$(sed -n 's/^\[  FAILED  \] \([0-9][0-9]*\) tests\{0,1\}, listed below.*/\1/p' "$E2E_LOG" | tail -n1)"
    E2E_PASSED="${passed:-0}"
    E2E_FAILED="${failed:-0}"
    if ((rc == 124 || rc == 137)); then
        tavik_log "e2e: the driver timed out after ${TAVIK_E2E_TIMEOUT}s"
        ((E2E_FAILED == 0)) && E2E_FAILED=1
    elif [[ -z "$passed" ]]; then
        tavik_log "e2e: the driver ended (exit $rc) without a summary"
        ((E2E_FAILED == 0)) && E2E_FAILED=1
    elif ((rc != 0 && E2E_FAILED == 0)); then
        tavik_log "e2e: the driver exited with $rc"
        E2E_FAILED=1
    fi
    tavik_log "e2e: $E2E_PASSED passed, $E2E_FAILED failed (log: $E2E_LOG)"
    ((E2E_FAILED == 0))
}
