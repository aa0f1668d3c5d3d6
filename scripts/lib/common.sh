# shellcheck shell=bash
# shellcheck disable=SC2030,SC2031 # WINEPREFIX is set inside subshells on purpose
# Shared helpers for scripts/test and scripts/run. Source this file; it defines
# functions only and changes nothing by itself except creating a small state
# folder (used to remember what we started, so that we stop exactly that).
#
#   tavik_install_packages   install the build/test packages that are missing
#   tavik_wine_env           export the environment every wine run uses
#   tavik_wine_prefix        print the path of a fresh wine prefix (copy of a cached template)
#   tavik_start_xvfb         start a private Xvfb display and export DISPLAY
#   tavik_stop_started       stop what the functions above started (by PID / by prefix)
#   tavik_remove_prefix DIR  stop the wineserver of DIR and delete DIR

TAVIK_PACKAGES=(
    cmake ninja-build g++ libgtest-dev libgmock-dev googletest
    g++-mingw-w64-x86-64-posix
    wine xvfb xdotool x11-utils fonts-wqy-microhei imagemagick
    clang libclang-rt-14-dev clang-format clang-tidy cppcheck
)

# What we start is written here (one line each), so that functions that run in
# a subshell, such as "$(tavik_wine_prefix)", still leave a record.
if [[ -z "${TAVIK_STATE_DIR:-}" || ! -d "${TAVIK_STATE_DIR}" ]]; then
    TAVIK_STATE_DIR="$(mktemp -d "${TMPDIR:-/tmp}/tavik-state.XXXXXX")"
    export TAVIK_STATE_DIR
fi

tavik_log() { printf '[tavik] %s\n' "$*" >&2; }

_tavik_as_root() {
    if [[ "$(id -u)" -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# Installs whatever of TAVIK_PACKAGES (or the packages given as arguments) is
# not installed yet. Runs "apt-get update" once, and only when something is missing.
tavik_install_packages() {
    local pkgs=("$@") missing=() p status
    ((${#pkgs[@]})) || pkgs=("${TAVIK_PACKAGES[@]}")
    for p in "${pkgs[@]}"; do
        status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
        [[ "$status" == "install ok installed" ]] || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    tavik_log "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    _tavik_as_root apt-get update -qq || return 1
    _tavik_as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
}

# Environment for every wine run. The zh_CN locale name in LC_ALL is what makes
# Wine pick ANSI code page 936 (LANG alone is not enough when the locale is not
# generated on the host). No mono/gecko installers: they would pop up dialogs.
tavik_wine_env() {
    export WINEDEBUG=-all
    # (bash itself complains when the locale is not generated on the host; wine does not need it)
    { export LC_ALL=zh_CN.UTF-8; } 2>/dev/null
    export WINEARCH=win64
    export WINEDLLOVERRIDES="${TAVIK_WINEDLLOVERRIDES:-mscoree=;mshtml=}"
}

# Runs one command with the wine environment and WINEPREFIX=PREFIX, without
# changing the caller's environment:  tavik_wine_run PREFIX wine foo.exe ...
tavik_wine_run() {
    local prefix="$1"
    shift
    (
        tavik_wine_env
        export WINEPREFIX="$prefix"
        "$@"
    )
}

tavik_template_dir() {
    printf '%s\n' "${XDG_CACHE_HOME:-$HOME/.cache}/tavik/wine-template"
}

# Builds the template prefix if it is missing or was made by another wine
# version. Safe against concurrent callers (flock).
_tavik_ensure_template() {
    local tpl base stamp want tmp
    tpl="$(tavik_template_dir)"
    base="$(dirname "$tpl")"
    mkdir -p "$base" || return 1
    want="$(wine --version 2>/dev/null | head -n1)"
    stamp="$tpl/.tavik-template"
    (
        flock 9
        if [[ -f "$stamp" && "$(cat "$stamp")" == "$want" ]]; then
            exit 0
        fi
        tavik_log "creating wine template prefix in $tpl (once, ~15 s)"
        rm -rf "$tpl" "$base"/wine-template.new.*
        tmp="$(mktemp -d "$base/wine-template.new.XXXXXX")" || exit 1
        (
            tavik_wine_env
            export WINEPREFIX="$tmp"
            wineboot -i >/dev/null 2>&1
            wineserver -w
            # Without a window manager Wine waits ~2 s on every hide/destroy of a
            # top-level window unless its windows are unmanaged.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            wineserver -w
        ) || { rm -rf "$tmp"; exit 1; }
        if ! grep -q '"Managed"="N"' "$tmp/user.reg" 2>/dev/null; then
            tavik_log "template prefix: setting Managed=N failed"
            rm -rf "$tmp"
            exit 1
        fi
        printf '%s\n' "$want" >"$tmp/.tavik-template"
        mv "$tmp" "$tpl"
    ) 9>"$base/template.lock"
}

# Prints the path of a new prefix copied from the template. The prefix is
# remembered; tavik_stop_started stops its wineserver and removes it.
tavik_wine_prefix() {
    local tpl fresh
    _tavik_ensure_template || { tavik_log "cannot create the wine template prefix"; return 1; }
    tpl="$(tavik_template_dir)"
    fresh="$(mktemp -d "${TMPDIR:-/tmp}/tavik-wine.XXXXXX")" || return 1
    if ! cp -a --reflink=auto "$tpl/." "$fresh/"; then
        rm -rf "$fresh"
        return 1
    fi
    rm -f "$fresh/.tavik-template"
    printf '%s\n' "$fresh" >>"$TAVIK_STATE_DIR/prefixes"
    printf '%s\n' "$fresh"
}

# Starts Xvfb on the first free display from :90 upward (1024x768x24), waits
# until it answers and exports DISPLAY. The PID is remembered.
tavik_start_xvfb() {
    local n pid i
    for ((n = 90; n < 190; n++)); do
        [[ -e "/tmp/.X11-unix/X$n" || -e "/tmp/.X$n-lock" ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$TAVIK_STATE_DIR/xvfb-$n.log" 2>&1 &
        pid=$!
        for ((i = 0; i < 100; i++)); do
            if ! kill -0 "$pid" 2>/dev/null; then
                pid=""
                break
            fi
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                printf '%s\n' "$pid" >>"$TAVIK_STATE_DIR/pids"
                export DISPLAY=":$n"
                # shellcheck disable=SC2034 # read by e2e.sh
                TAVIK_XVFB_PID=$pid
                return 0
            fi
            sleep 0.1
        done
        if [[ -n "$pid" ]]; then # never answered: give up on this one
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
        fi
    done
    tavik_log "could not start Xvfb"
    return 1
}

# Stops the wineserver of one prefix (only that prefix) and deletes the prefix.
tavik_remove_prefix() {
    local p="$1"
    [[ -n "$p" && -d "$p" ]] || return 0
    WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$p" wineserver -w >/dev/null 2>&1 || true
    rm -rf "$p"
    if [[ -f "$TAVIK_STATE_DIR/prefixes" ]]; then
        grep -vxF -- "$p" "$TAVIK_STATE_DIR/prefixes" >"$TAVIK_STATE_DIR/prefixes.new" || true
        mv "$TAVIK_STATE_DIR/prefixes.new" "$TAVIK_STATE_DIR/prefixes"
    fi
}

# Stops everything the functions above started: the wineservers of the
# prefixes we created (then removes those prefixes unless TAVIK_KEEP_PREFIX=1)
# and the recorded processes, each by its PID.
tavik_stop_started() {
    local p pid i
    if [[ -f "$TAVIK_STATE_DIR/prefixes" ]]; then
        while IFS= read -r p; do
            [[ -n "$p" && -d "$p" ]] || continue
            WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true
            WINEPREFIX="$p" wineserver -w >/dev/null 2>&1 || true
            [[ "${TAVIK_KEEP_PREFIX:-0}" == 1 ]] || rm -rf "$p"
        done <"$TAVIK_STATE_DIR/prefixes"
        : >"$TAVIK_STATE_DIR/prefixes"
    fi
    if [[ -f "$TAVIK_STATE_DIR/pids" ]]; then
        while IFS= read -r pid; do
            [[ "$pid" =~ ^[0-9]+$ ]] || continue
            kill "$pid" 2>/dev/null || continue
            for ((i = 0; i < 50; i++)); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -9 "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        done <"$TAVIK_STATE_DIR/pids"
        : >"$TAVIK_STATE_DIR/pids"
    fi
    unset TAVIK_XVFB_PID
}
