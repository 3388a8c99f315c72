#!/usr/bin/env bash
# The real executable against direwolf, a real AGWPE-compatible TNC:
#
#   direwolf_e2e.sh <vireo-decoder>
#
# The packets of packets.txt become AFSK 1200 audio (gen_packets, sox) that direwolf decodes and
# hands to its AGW clients on port 8000. The program, started from a fresh application folder
# with the TNC at 127.0.0.1:8000 and auto-connect on, must switch monitoring on once, take every
# packet, serve on port 8008 a document that xmllint finds well-formed and in which GDAL reads
# the point and the track of every moving station, and on SIGINT exit with status 0 after
# writing the station files. (The replay test stops it with SIGTERM; the shell test checks what
# the shut-down writes.)
# Exit status: 0 pass, 77 a tool is missing (skipped), anything else failure.
set -u
SELF=$(readlink -f "$0") ARGS=("$@") TOOLS="direwolf gen_packets sox xmllint ogrinfo curl"
APP_BIN=$(readlink -f "$1")
# shellcheck source=e2e_common.sh
. "$(dirname "$SELF")/e2e_common.sh"
die() {
    fail "$*"
    tail -n 25 direwolf.log app.out 2>/dev/null
    exit 1
}
# logged TEXT [N]: direwolf's log holds TEXT on N lines or more.
logged() { [ "$(grep -c -F -- "$1" direwolf.log)" -ge "${2:-1}" ]; }

# ---- audio: one gen_packets run per packet (from a file it would keep each line's newline).
grep -v -e '^#' -e '^$' "$(dirname "$SELF")/packets.txt" >packets.txt
count=0
while IFS= read -r line; do
    count=$((count + 1))
    printf '%s' "$line" | gen_packets -r 44100 -o "$(printf 'audio-%02d.wav' "$count")" - \
        >/dev/null 2>&1 || die "gen_packets cannot encode: $line"
done <packets.txt
sox audio-*.wav -t raw -r 44100 -e signed-integer -b 16 -c 1 -L audio.raw pad 0 1 || die "sox"

# ---- direwolf reads the audio from a FIFO that descriptor 3 keeps open, so that it waits for
# the audio instead of leaving at its end. "-d a" logs every AGW request and frame.
mkfifo audio.fifo || die "mkfifo"
exec 3<>audio.fifo
printf '%s\n' 'ADEVICE stdin null' 'ARATE 44100' 'MYCALL N0CALL' 'MODEM 1200' 'AGWPORT 8000' \
    'KISSPORT 0' >direwolf.conf
direwolf -t 0 -d a -c direwolf.conf <audio.fifo >direwolf.log 2>&1 3>&- &
PIDS+=($!)
wait_until 10 logged "Ready to accept AGW client application 0 on port 8000 " ||
    die "direwolf does not listen on AGW port 8000"

# ---- the program: its settings file is one line of 29 fields.
mkdir app && cp "$APP_BIN" app/vireo-decoder || exit 2
printf '"127.0.0.1","8000",6050,"30","60",0,0,11050,2650,#TRUE#,#TRUE#,#FALSE#,"Vireo_Decoder.xml",#TRUE#,"800","40","000",#TRUE#,"20",#FALSE#,"%s","","N42.00.00","E012.00.00",#FALSE#,#TRUE#,"350","7000",#FALSE#\r\n' \
    "$WORK/app/Icons" >app/Vireo_Decoder.ini
QT_QPA_PLATFORM=offscreen app/vireo-decoder >app.out 2>&1 3>&- &
APP_PID=$!
PIDS+=("$APP_PID")
# Connected, it switches monitoring on ('m') and asks the version ('R').
wait_until 15 logged "AGWPE Version Info from AGWPE client" || die "vireo-decoder asked no version"
[ "$(grep -c "Enable Reception of Monitoring Frames" direwolf.log)" = 1 ] ||
    fail "vireo-decoder did not switch monitoring on exactly once"
timeout 20 cat audio.raw >&3
wait_until 20 logged "Monitored Unproto Information to AGWPE client" "$count" ||
    die "direwolf passed $(grep -c "Monitored Unproto" direwolf.log) of $count packets"
sleep 0.5 # time to take them

# ---- the served document, inside the start-up send window.
curl -s --max-time 5 -o served.kml http://127.0.0.1:8008/ || fail "no answer on port 8008"
xmllint --noout served.kml || fail "xmllint refuses the served document"
ogrinfo -ro -al served.kml >ogrinfo.out 2>&1 || fail "ogrinfo: $(head -5 ogrinfo.out)"
for call in N0CALL-9 N1CALL-7 N2CALL-9 N3CALL-14 N5CALL-7; do
    grep -q "Name (String) = $call\$" ogrinfo.out || fail "GDAL does not read $call"
done
[ "$(grep -c '^  POINT (' ogrinfo.out)/$(grep -c '^  LINESTRING (' ogrinfo.out)" = 5/5 ] ||
    fail "GDAL does not read 5 points and 5 tracks"
grep -q '^  POINT (-' ogrinfo.out && fail "a station east of Greenwich read as west"

# ---- shut-down on SIGINT.
kill -INT "$APP_PID"
timeout 5 tail --pid="$APP_PID" -f /dev/null || die "vireo-decoder still running 5 s after SIGINT"
wait "$APP_PID" || fail "vireo-decoder exited with status $? after SIGINT"
[ "$(grep -c . app/Positions.ini)" = 5 ] || fail "Positions.ini does not hold the 5 moving stations"

[ "$FAILED" = 0 ] || { cat app.out; exit 1; }
echo PASS
