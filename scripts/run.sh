#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Vireo Decoder and starts it.
# When no TNC answers on the address of the settings file (build/Vireo_Decoder.ini, else
# localhost:8000), the sample drive is played there by vireo-agw-replay while the program runs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

# The TNC address: fields 1 and 2 of the settings file's one line, quoted or not.
host=localhost
port=8000
if [ -f build/Vireo_Decoder.ini ]; then
    IFS=, read -r address number _ <build/Vireo_Decoder.ini || true
    address=$(printf '%s' "${address:-}" | tr -d '"\r' | sed 's/^[[:space:]]*//; s/[[:space:]]*$//')
    number=$(printf '%s' "${number:-}" | tr -d '"\r' | sed 's/^[[:space:]]*//; s/[[:space:]]*$//')
    [ -n "$address" ] && host=$address
    [[ "$number" =~ ^[0-9]+$ ]] && port=$number
fi
answers() { timeout 2 bash -c "exec 3<>/dev/tcp/$host/$port" 2>/dev/null; }

replay=
if ! answers; then
    case $host in
    localhost | 127.* | ::1)
        build/vireo-agw-replay --loop --port "$port" resources/samples/sample-drive.log \
            >build/vireo-agw-replay.log 2>&1 &
        replay=$!
        for _ in $(seq 50); do answers && break; sleep 0.1; done
        if ! kill -0 "$replay" 2>/dev/null; then
            cat build/vireo-agw-replay.log >&2
            replay=
        else
            echo "No TNC on $host:$port: playing the sample drive there (log: build/vireo-agw-replay.log)." \
                "For a real TNC, start it first (Direwolf: AGWPORT $port in direwolf.conf) and run this again."
        fi
        ;;
    *) echo "No TNC answers on $host:$port; start it, then use File / Connect AGWPE." ;;
    esac
fi
[ -n "$replay" ] || exec build/vireo-decoder

stop_replay() {
    kill "$replay" 2>/dev/null || true
    wait "$replay" 2>/dev/null || true
}
trap stop_replay EXIT
build/vireo-decoder &
app=$!
# A program started in the background ignores Ctrl-C: hand it on as a stop request.
trap 'kill -TERM "$app" 2>/dev/null || true' INT TERM HUP
status=0
wait "$app" || status=$?
while kill -0 "$app" 2>/dev/null; do
    status=0
    wait "$app" || status=$?
done
exit "$status"
