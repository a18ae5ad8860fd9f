# What the benchmark scripts share; sourced after they set `here`, the
# project's root. Not a benchmark itself (run-bench.sh runs bench-* only).
build=${QUAVERLY_BUILD:-$here/build}
seconds=${QUAVERLY_BENCH_SECONDS:-60}

# bench_work NAME: a private work folder in $work, removed at exit.
bench_work() {
    work=$(mktemp -d "/tmp/quaverly-bench-$1.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
    trap 'exit 143' TERM
}

# bench_needs FILE...: ends the benchmark unless each file was built into $build/bin.
bench_needs() {
    for f in "$@"; do
        [ -f "$build/bin/$f" ] || { echo "$f not built in $build/bin" >&2; exit 1; }
    done
}

# audacious_home HOME [skins]: lets audacious write its plugin registry into
# a private home, then enables the SDL output alone (and, with "skins", the
# classic skinned interface). False when no registry was written.
audacious_home() {
    mkdir -p "$1/.config/audacious"
    HOME="$1" timeout 30 audacious -H -q >/dev/null 2>&1 || true
    registry="$1/.config/audacious/plugin-registry"
    [ -f "$registry" ] || return 1
    awk -v skins="${2:-}" '/^[a-z]+ \// { kind = $1; path = $2 }
         /^enabled / && kind == "output" { $0 = "enabled " (path ~ /\/sdlout\.so$/ ? 1 : 0) }
         /^enabled / && kind == "iface" && skins != "" { $0 = "enabled " (path ~ /\/skins\.so$/ ? 1 : 0) }
         { print }' "$registry" > "$registry.new" && mv "$registry.new" "$registry"
}
