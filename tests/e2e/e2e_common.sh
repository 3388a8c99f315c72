# shellcheck shell=bash disable=SC2034
# Sourced by the end-to-end tests, after they set SELF (the script) and ARGS (its arguments):
# skips the test (exit status 77) when a tool it names in TOOLS is not installed, runs it again
# in a private network namespace holding only loopback (ports 8000 and 8008 free there, nothing
# leaves the machine), PID namespace (all it starts dies with it) and mount namespace (its mounts
# stay its own; VIREO_E2E_ISOLATED is set then), and gives it a work folder as current folder,
# removed at the end with the processes listed in PIDS.
for tool in $TOOLS; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if [ -z "${VIREO_E2E_ISOLATED:-}" ]; then
    for options in "--net --pid --mount --fork --kill-child" \
        "--user --map-root-user --net --pid --mount --fork --kill-child"; do
        # shellcheck disable=SC2086
        unshare $options true 2>/dev/null &&
            VIREO_E2E_ISOLATED=1 exec unshare $options bash "$SELF" "${ARGS[@]}"
    done
    echo "note: no private network namespace here; waiting for ports 8000 and 8008 to be free"
    for _ in $(seq 60); do
        ss -Hltn '( sport = :8000 or sport = :8008 )' | grep -q . || break
        sleep 1
    done
else
    ip link set lo up || exit 2
fi
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vireo-e2e.XXXXXX") || exit 2
cd "$WORK" || exit 2
PIDS=()
trap 'exec 3>&-; kill "${PIDS[@]}" 2>/dev/null; wait; rm -rf "$WORK"' EXIT
FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }
# wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds or SECONDS pass.
wait_until() {
    local tries=$(($1 * 10))
    shift
    until "$@"; do
        [ $((tries -= 1)) -gt 0 ] || return 1
        sleep 0.1
    done
}
