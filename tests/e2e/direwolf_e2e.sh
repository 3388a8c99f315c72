#!/usr/bin/env bash
# End-to-end run of Vireo Decoder against direwolf, a real AGWPE-compatible TNC.
#
#   direwolf_e2e.sh <vireo_direwolf_test> <vireo-decoder>
#
# The packets of packets.txt become AFSK 1200 audio (gen_packets, sox) that direwolf decodes from
# a FIFO and hands to its AGW clients on port 8000:
#   1. vireo_direwolf_test runs the shell and checks that it took every packet direwolf reports
#      as decoded;
#   2. the real executable, started from a fresh application folder with auto-connect on, must
#      attach to direwolf, take the packets, serve a KML document on port 8008 that xmllint and
#      GDAL read with every moving station, and on SIGTERM (then SIGINT) exit with status 0
#      after rewriting its settings file and writing the station files.
# Exit status: 0 pass, 77 tools missing (skipped), anything else failure.
# VIREO_E2E_KEEP=1 keeps the work folder for inspection.
set -u

[ $# -eq 2 ] || { echo "usage: $0 <vireo_direwolf_test> <vireo-decoder>" >&2; exit 2; }
for tool in direwolf gen_packets sox; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIP: $tool is not installed (Debian/Ubuntu: apt-get install direwolf sox)"; exit 77; }
done
SELF=$(readlink -f "$0")
TEST_BIN=$(readlink -f "$1")
APP_BIN=$(readlink -f "$2")
for program in "$TEST_BIN" "$APP_BIN"; do
    [ -x "$program" ] || { echo "FAIL: $program is not an executable"; exit 2; }
done

# Run in a private network namespace holding only loopback: ports 8000 and 8008 are free there
# and no traffic can leave the machine. With a private PID namespace as well, everything started
# below dies together with this script, whatever kills it.
if [ -z "${VIREO_E2E_ISOLATED:-}" ]; then
    for options in "--net --pid --fork --kill-child" \
        "--user --map-root-user --net --pid --fork --kill-child"; do
        # shellcheck disable=SC2086
        if unshare $options true 2>/dev/null; then
            VIREO_E2E_ISOLATED=1 exec unshare $options bash "$SELF" "$TEST_BIN" "$APP_BIN"
        fi
    done
    echo "note: no private network namespace here; ports 8000 and 8008 of this one must be free"
fi

START_NS=$(date +%s%N)
say() { echo "[$((($(date +%s%N) - START_NS) / 1000000)) ms] $*"; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vireo-e2e.XXXXXX") || exit 2
DW_LOG=$WORK/direwolf.log
DW_PID='' TEST_PID='' APP_PID='' FAILED=0

# stop PID: SIGTERM, then SIGKILL if it is still there after 3 s.
stop() {
    [ -n "$1" ] && kill "$1" 2>/dev/null || return 0
    wait_until 3 gone "$1" || kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
cleanup() {
    local status=$?
    trap - EXIT INT TERM HUP
    stop "$APP_PID"
    stop "$TEST_PID"
    exec 3>&- # end of audio: direwolf leaves by itself
    stop "$DW_PID"
    if [ "${VIREO_E2E_KEEP:-0}" = 1 ]; then echo "work folder kept: $WORK"; else rm -rf "$WORK"; fi
    exit "$status"
}
trap cleanup EXIT
trap 'say interrupted; exit 130' INT
trap 'say terminated; exit 143' TERM
trap 'exit 129' HUP

fail() { say "FAIL: $*"; FAILED=1; }
die() {
    say "FAIL: $*"
    for log in "$DW_LOG" "$WORK"/vireo*.out; do
        [ -f "$log" ] && { echo "---- last lines of ${log#"$WORK"/}"; tail -n 25 "$log"; }
    done
    exit 1
}
# wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds or SECONDS have passed.
wait_until() {
    local deadline=$(($(date +%s%N) + $1 * 1000000000))
    shift
    until "$@"; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
alive() { kill -0 "$1" 2>/dev/null; }
gone() { ! kill -0 "$1" 2>/dev/null; }
# Lines of direwolf's log after line $1 that contain $2.
log_count_since() { tail -n "+$(($1 + 1))" "$DW_LOG" | grep -c -F -- "$2"; }

cd "$WORK" || exit 2
[ -z "${VIREO_E2E_ISOLATED:-}" ] || ip link set lo up ||
    die "cannot bring up loopback in the private network namespace"

# ---- audio: one gen_packets run per packet (given a file, gen_packets would keep each line's
# newline in the information field), then one raw stream for direwolf's standard input.
mkdir audio
count=0
while IFS= read -r line || [ -n "$line" ]; do
    case $line in '' | '#'*) continue ;; esac
    count=$((count + 1))
    printf '%s\n' "$line" >>packets.txt
    printf '%s' "$line" | gen_packets -r 44100 -o "$(printf 'audio/%03d.wav' "$count")" - \
        >gen_packets.out 2>&1 || die "gen_packets cannot encode: $line"
done <"$(dirname "$SELF")/packets.txt"
sox audio/*.wav -t raw -r 44100 -e signed-integer -b 16 -c 1 -L audio.raw pad 0 1 \
    >sox.out 2>&1 || die "sox cannot join the audio"
say "audio: $count packets"

# ---- direwolf: audio from a FIFO that descriptor 3 keeps open, so that direwolf waits for more
# after each burst instead of leaving at end of input. "-d a" logs every AGW request and frame.
mkfifo audio.fifo || die "mkfifo"
exec 3<>audio.fifo
printf '%s\n' 'ADEVICE stdin null' 'ACHANNELS 1' 'ARATE 44100' 'CHANNEL 0' 'MYCALL N0CALL' \
    'MODEM 1200' 'AGWPORT 8000' 'KISSPORT 0' >direwolf.conf
direwolf -t 0 -d a -c direwolf.conf <audio.fifo >"$DW_LOG" 2>&1 3>&- &
DW_PID=$!
dw_settled() { grep -q -e 'Ready to accept AGW client' -e 'Bind failed' "$DW_LOG" || gone "$DW_PID"; }
wait_until 10 dw_settled || die "direwolf did not start within 10 s"
grep -q "Ready to accept AGW client application 0 on port 8000 " "$DW_LOG" ||
    die "direwolf cannot listen on AGW port 8000"
say "direwolf $(dpkg-query -W -f='${Version}' direwolf 2>/dev/null) listening on AGW port 8000"

decoded_count() { grep -c -E '^\[[0-9]+(\.[0-9]+)?\] ' "$DW_LOG"; }
all_decoded() { [ "$(decoded_count)" -ge "$WANT_DECODED" ]; }
# play N: writes the audio to direwolf, then waits until it has logged N decoded packets in all.
play() {
    WANT_DECODED=$1
    timeout 20 cat audio.raw >&3 && wait_until 15 all_decoded
}

# ---- 1. the shell, against the packets direwolf decoded.
VIREO_E2E_AGW_PORT=8000 VIREO_E2E_WORK=$WORK QT_QPA_PLATFORM=offscreen \
    timeout -k 5 100 "$TEST_BIN" >vireo_direwolf_test.out 2>&1 3>&- &
TEST_PID=$!
test_ready() { [ -f ready ] || gone "$TEST_PID"; }
wait_until 20 test_ready
[ -f ready ] || die "vireo_direwolf_test got no version reply from direwolf"
say "vireo_direwolf_test connected; playing the audio"
play "$count" || fail "direwolf decoded $(decoded_count) of $count packets"
grep -E '^\[[0-9]+(\.[0-9]+)?\] ' "$DW_LOG" | sed -E 's/^\[[^]]*\] //' >decoded.txt
touch fed
wait_until 60 gone "$TEST_PID" || die "vireo_direwolf_test did not finish"
wait "$TEST_PID"
status=$?
TEST_PID=
if [ "$status" = 0 ] && grep -q '^\[  PASSED  \] 1 test' vireo_direwolf_test.out; then
    say "the shell took the $(wc -l <decoded.txt) packets direwolf decoded"
else
    cat vireo_direwolf_test.out
    fail "vireo_direwolf_test failed or skipped (exit status $status)"
fi
cmp -s packets.txt decoded.txt ||
    fail "direwolf did not decode exactly the packets played: $(diff packets.txt decoded.txt)"

# ---- 2. the real executable in its own application folder.
mkdir app && cp "$APP_BIN" app/ || die "cannot copy $APP_BIN"
APP=$WORK/app/$(basename "$APP_BIN")
INI=$WORK/app/Vireo_Decoder.ini
# The settings file: one line of 29 fields, the connection and auto-connect set.
printf '"127.0.0.1","8000",6050,"30","60",0,0,11050,2650,#TRUE#,#TRUE#,#FALSE#,"Vireo_Decoder.xml",#TRUE#,"800","40","000",#TRUE#,"20",#FALSE#,"%s","","N42.00.00","E012.00.00",#FALSE#,#TRUE#,"350","7000",#FALSE#\r\n' \
    "$WORK/app/Icons" >"$INI"

check_settings() {
    local fields
    [ "$(stat -c %Y "$INI")" != 946684800 ] || { fail "$INI was not rewritten"; return; }
    [ "$(tail -c 2 "$INI" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "$INI does not end with CR LF"
    IFS=, read -r -a fields < <(tr -d '\r\n' <"$INI")
    [ "${#fields[@]}" = 29 ] || fail "$INI has ${#fields[@]} fields, not 29"
    [ "${fields[0]},${fields[1]},${fields[9]}" = '"127.0.0.1","8000",#TRUE#' ] ||
        fail "address, port and auto-connect are now ${fields[0]},${fields[1]},${fields[9]}"
}

# GET / on the program's own HTTP server (inside the start-up send window), in one write as HTTP
# clients send it: the document must be well-formed for xmllint and GDAL must read every moving
# station's point and track from it.
check_served_document() {
    local answer points tracks
    exec 5<>/dev/tcp/127.0.0.1/8008 || { fail "cannot connect to port 8008"; return; }
    printf 'GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n' >&5
    answer=$(timeout 5 cat <&5)
    exec 5<&-
    case "$answer" in
    "HTTP/1.0 200 OK"*) ;;
    *) fail "GET / answered: $(printf '%s' "$answer" | head -c 80)"; return ;;
    esac
    printf '%s' "${answer#*$'\r\n\r\n'}" >served.kml
    if command -v xmllint >/dev/null; then
        xmllint --noout served.kml 2>xmllint.out || fail "xmllint: $(cat xmllint.out)"
    fi
    if command -v ogrinfo >/dev/null; then
        ogrinfo -ro -al served.kml >ogrinfo.out 2>&1 || fail "ogrinfo: $(head -5 ogrinfo.out)"
        points=$(grep -c '^  POINT (' ogrinfo.out)
        tracks=$(grep -c '^  LINESTRING (' ogrinfo.out)
        [ "$points" = 5 ] && [ "$tracks" = 5 ] ||
            fail "GDAL read $points points and $tracks tracks, not 5 and 5"
        grep -q '^  POINT (-' ogrinfo.out && fail "a station east of Greenwich read as west"
    fi
    say "served document: well-formed, 5 stations with their tracks"
}

app_asked_version() {
    [ "$(log_count_since "$mark" "AGWPE Version Info from AGWPE client")" -ge 1 ] || gone "$APP_PID"
}
app_got_packets() {
    [ "$(log_count_since "$mark" "Monitored Unproto Information to AGWPE client")" -ge "$count" ]
}
for signal in TERM INT; do
    out=vireo-decoder-$signal.out
    failed_before=$FAILED
    touch -d @946684800 "$INI" # any rewrite shows in the time stamp
    mark=$(wc -l <"$DW_LOG")
    QT_QPA_PLATFORM=offscreen "$APP" >"$out" 2>&1 3>&- &
    APP_PID=$!
    # On connection the program switches monitoring on ('m') and asks the version ('R').
    wait_until 15 app_asked_version
    alive "$APP_PID" || die "vireo-decoder stopped on its own ($signal run)"
    [ "$(log_count_since "$mark" "Attached to AGW client application")" = 1 ] ||
        die "vireo-decoder did not attach to direwolf ($signal run)"
    [ "$(log_count_since "$mark" "Enable Reception of Monitoring Frames from AGWPE client")" = 1 ] ||
        fail "vireo-decoder did not switch monitoring on exactly once ($signal run)"
    if [ "$signal" = TERM ]; then
        played=$(decoded_count)
        play $((played + count)) ||
            fail "direwolf decoded $(($(decoded_count) - played)) of $count packets played again"
        wait_until 10 app_got_packets || fail "direwolf passed no packets to vireo-decoder"
        sleep 0.5 # time to handle them
        alive "$APP_PID" || die "vireo-decoder stopped while taking packets"
        check_served_document
    fi
    kill -s "$signal" "$APP_PID"
    wait_until 5 gone "$APP_PID" || die "vireo-decoder still running 5 s after SIG$signal"
    wait "$APP_PID"
    status=$?
    APP_PID=
    [ "$status" = 0 ] || fail "vireo-decoder exited with status $status after SIG$signal"
    check_settings
    if [ "$signal" = TERM ] && [ "$(grep -c . "$WORK/app/Positions.ini" 2>/dev/null)" != 5 ]; then
        fail "Positions.ini does not hold the 5 moving stations after SIGTERM"
    fi
    [ "$FAILED" = "$failed_before" ] && say "vireo-decoder passed the SIG$signal run"
    [ "$FAILED" != "$failed_before" ] && [ -s "$out" ] && { echo "---- $out"; cat "$out"; }
done

[ "$FAILED" = 0 ] || { say "FAIL (see above)"; exit 1; }
say "PASS"
