#!/usr/bin/env bash
# The replay TNC on its own and with the program:
#   1. vireo-agw-replay --check refuses bad log lines by number and paces by the time stamps;
#   2. the sample drive is what its generator writes, and every packet decodes as intended;
#   3. the program, run from a copy of the build folder's files, takes the sample drive from the
#      replay on port 8000 and serves its moving stations (and no fixed or damaged one) on 8008,
#      while other clients ask the version and vanish.
#
#   replay_e2e.sh <vireo-agw-replay> <vireo-decoder> <vireo-aprs-decode>
# Exit status: 0 pass, 77 a tool is missing (skipped), anything else failure.
set -u
SELF=$(readlink -f "$0") ARGS=("$@") TOOLS="curl python3"
REPLAY=$(readlink -f "$1") APP=$(readlink -f "$2") DECODE=$(readlink -f "$3")
ROOT=$(cd "$(dirname "$SELF")/../.." && pwd)
SAMPLE=$ROOT/resources/samples/sample-drive.log
# shellcheck source=e2e_common.sh
. "$(dirname "$SELF")/e2e_common.sh"

# ---- 1. bad lines (content | line the message must name) and pacing.
while IFS='|' read -r log line; do
    printf '%b' "$log" >bad.log
    "$REPLAY" --check bad.log >/dev/null 2>check.out && fail "accepted: $log"
    grep -q "^bad.log:$line: " check.out || fail "no message for line $line of: $log ($(cat check.out))"
done <<'EOF'
A>B:ok\nno packet here\n|2
# comment\n\n2024-05-18T09:00:00Z A>B:x\n2024-13-01T00:00:00Z A>B:y\n|4
A>B:x\n>B:no source\n|2
A>B:x\nLONGCALL-15>B:x\n|2
1700000000 A>B:x\n1700000001\n|2
EOF
printf '1700000000 A>B:x\n1700000010 A>B:y\nA>B:z\n1700000005 A>B:w\n1700000001 A>B:v\n' >paced.log
[ "$("$REPLAY" --check --speed 2 paced.log | cut -d' ' -f1 | tr '\n' ' ')" = \
    "0.000 5.000 5.500 6.000 6.000 " ] || fail "pacing: $("$REPLAY" --check --speed 2 paced.log)"

# ---- 2. the sample drive.
python3 "$ROOT/tools/make_sample_drive.py" --out sample.log --decoder "$DECODE" || fail "sample drive"
cmp -s sample.log "$SAMPLE" || fail "resources/samples/sample-drive.log differs from what the generator writes"

# ---- 3. the program against the replay.
mkdir app home
cp -r "$APP" "$(dirname "$APP")/Icons" "$(dirname "$APP")/move.wav" app/ || exit 2
"$REPLAY" --loop --speed 20 "$SAMPLE" >replay.out 2>&1 &
PIDS+=($!)
sleep 0.5
# A client that switches monitoring on and vanishes.
(exec 3<>/dev/tcp/127.0.0.1/8000 && { printf '\0\0\0\0m'; head -c 31 /dev/zero; } >&3) || fail "no TNC on port 8000"
HOME=$WORK/home QT_QPA_PLATFORM=offscreen app/vireo-decoder >app.out 2>&1 &
PIDS+=($!)
# Another one asks the version while the program is attached: an "R" frame with 8 data bytes.
reply=$(exec 3<>/dev/tcp/127.0.0.1/8000 && { printf '\0\0\0\0R'; head -c 31 /dev/zero; } >&3 &&
    timeout 3 head -c 44 <&3 | od -An -tx1 | tr -d ' \n')
[ "${reply:8:2}/${reply:56:8}/${#reply}" = 52/08000000/88 ] || fail "version reply: $reply"

MOVING="CAR1-9 CAR2-9 CAR3-9 VAN1-9 LORRY1-9 JOG1-7 BIKE1-7 BOAT1-8 BALL1-11 PLANE1-15"
missing() { for call in $MOVING; do grep -qs "<name>$call</name>" served.kml || echo "$call"; done; }
for _ in $(seq 30); do
    sleep 1
    curl -s --max-time 3 -o served.kml http://127.0.0.1:8008/ && [ -z "$(missing)" ] && break
done
[ -z "$(missing)" ] || fail "stations missing from the served document: $(missing | tr "\n" " ")"
for call in HOME1 DIGI1 WX1 CAR4-9 IGATE1-10; do
    grep -q "<name>$call" served.kml && fail "$call is in the served document"
done
# Listening on every address, the program links Google Earth to the loopback one.
grep -q '<href>http://127.0.0.1:8008</href>' app/Vireo_Decoder.kml || fail "Vireo_Decoder.kml: $(cat app/Vireo_Decoder.kml)"
{ grep -q ' monitoring$' replay.out && grep -q ' left$' replay.out; } || fail "replay log: $(cat replay.out)"

[ "$FAILED" = 0 ] || { cat app.out replay.out; exit 1; }
echo PASS
