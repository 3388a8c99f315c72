#!/usr/bin/env bash
# Stopping the real program at awkward moments, each run from a copy of the build folder's files
# with the replay TNC on port 8000 playing one moving station:
#   1. headless (offscreen), with a refresh that asks a question at start-up and a window 100,000,000
#      twips high: the box's default answer is taken, the TNC is connected, the document served;
#      one SIGTERM ends it with the stations saved;
#   2. with a screen (minimal platform), one SIGTERM while a start-up box is open (the refresh
#      question, an invalid TNC port, an unwritable folder with no settings file): exit status 0,
#      settings saved where they can be, the station files intact, no TNC connection after the stop,
#      port 8008 closed;
#   3. a damaged settings file is named on stderr when the defaults replace it.
#
#   stop_e2e.sh <vireo-decoder> <vireo-agw-replay>
# Exit status: 0 pass, 77 a tool is missing (skipped), anything else failure.
set -u
SELF=$(readlink -f "$0") ARGS=("$@") TOOLS="curl"
APP=$(readlink -f "$1") REPLAY=$(readlink -f "$2")
# shellcheck source=e2e_common.sh
. "$(dirname "$SELF")/e2e_common.sh"
mkdir home && export HOME=$WORK/home XDG_DATA_HOME=$WORK/home

# The TNC: the replay TNC playing one moving station over and over; it logs each connection.
printf 'N0CALL-9>APRS,WIDE1-1:=4903.50N/07201.75W>088/036/A=001234\n' >drive.log
"$REPLAY" --loop drive.log >tnc.log 2>&1 &
PIDS+=($!)
connects() { grep -c ' connected$' tnc.log; }
wait_until 5 grep -q waiting tnc.log || fail "no replay TNC on port 8000"

# folder <name>: a copy of the executable, its icon set and its sound.
folder() {
    mkdir -p "$1" && cp "$APP" "$(dirname "$APP")/move.wav" "$1/" &&
        cp -r "$(dirname "$APP")/Icons" "$1/"
}
# settings <folder> <port> <refresh ms> <window height>
settings() {
    printf '"127.0.0.1","%s",%s,"30","60",0,0,11050,%s,#TRUE#,#TRUE#,#FALSE#,"Vireo_Decoder.xml",#TRUE#,"800","40","000",#TRUE#,"20",#FALSE#,"","","N42.00.00","E012.00.00",#FALSE#,#TRUE#,"350","7000",#TRUE#\r\n' \
        "$2" "$3" "$4" >"$1/Vireo_Decoder.ini"
}
served() { curl -s -m 2 -o /dev/null -w '%{http_code}' http://127.0.0.1:8008/ | grep -q 200; }
# run <folder> <platform> <seconds before the stop> [check]: the check runs before the stop;
# then one SIGTERM, and the exit status in STATUS.
run() {
    QT_QPA_PLATFORM=$2 "$1/vireo-decoder" 2>"$1.err" &
    local pid=$!
    sleep "$3"
    ${4:-true}
    CONNECTS=$(connects)
    kill -TERM "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        fail "$1: still running 10 s after one SIGTERM"
        kill -9 "$pid"
    fi
    wait "$pid"
    STATUS=$?
    sleep 0.5
    [ "$(connects)" = "$CONNECTS" ] || fail "$1: connected to the TNC after the stop"
    ! served || fail "$1: port 8008 still answers after the exit"
}

# ---- 1. headless, a question at start-up and a huge window.
folder headless && settings headless 8000 7000 100000000
connected() {
    wait_until 10 served || fail "headless: no document on port 8008"
    wait_until 5 grep -q " connected$" tnc.log && [ "$(connects)" = 1 ] || fail "headless: the TNC was not connected"
    sleep 1
}
run headless offscreen 0 connected
[ "$STATUS" = 0 ] || fail "headless: exit status $STATUS"
grep -q 'N0CALL-9' headless/Positions.ini || fail "headless: the station was not saved"
grep -q 'Refresh interval' headless.err || fail "headless: the question was not logged"

# ---- 2. one SIGTERM while a start-up box is open.
for box in refresh:8000:7000 port:x8000:6050; do
    IFS=: read -r name port refresh <<<"$box"
    folder "$name" && cp headless/Positions.* "$name/" && settings "$name" "$port" "$refresh" 2650
    touch -d '1 hour ago' "$name/Vireo_Decoder.ini"
    cp "$name/Positions.ini" "$name.ini"
    run "$name" minimal 2
    [ "$STATUS" = 0 ] || fail "$name: exit status $STATUS"
    [ "$name/Vireo_Decoder.ini" -nt "$name.ini" ] || fail "$name: settings not saved"
    grep -q N0CALL-9 "$name/Positions.ini" || fail "$name: the stations were lost"
done
folder ro
if [ -n "${VIREO_E2E_ISOLATED:-}" ]; then
    mount --bind ro ro && mount -o remount,bind,ro ro && chmod a-w home
    mount --bind home home && mount -o remount,bind,ro home
    run ro minimal 2
    [ "$STATUS" = 0 ] || fail "read-only folder: exit status $STATUS"
    umount home ro
fi

# ---- 3. a damaged settings file.
folder damaged && printf '"127.0.0.1","8000",6050,"30"\r\n' >damaged/Vireo_Decoder.ini
run damaged offscreen 2
grep -q 'Vireo_Decoder.ini.*default' damaged.err || fail "damaged settings: nothing on stderr"

[ $FAILED = 0 ] && echo "PASS"
exit $FAILED
