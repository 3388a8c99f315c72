#!/usr/bin/env bash
# Peak memory of the real program holding a busy map: vireo-agw-replay plays STATIONS moving
# stations of POINTS reports each (a report of every station each second, played ten times
# faster), while a Google Earth stand-in polls every second; once the served document holds every
# station and its whole track, a few more polls, then the program's peak resident size (VmHWM)
# and its resident size at rest (VmRSS) are read from /proc.
#
#   bench/peak_rss.sh <vireo-decoder> <vireo-agw-replay> [STATIONS] [POINTS]
#
# Runs in a private network namespace when one can be had (ports 8000 and 8008 are the
# program's own), as the end-to-end tests do.
set -u
SELF=$(readlink -f "$0") ARGS=("$@") TOOLS="curl python3"
APP=$(readlink -f "$1") REPLAY=$(readlink -f "$2") STATIONS=${3:-5000} POINTS=${4:-100}
# shellcheck source=../tests/e2e/e2e_common.sh
. "$(dirname "$SELF")/../tests/e2e/e2e_common.sh"
# The process numbers of the private namespace, for /proc/<pid>/status.
[ -n "${VIREO_E2E_ISOLATED:-}" ] && mount -t proc proc /proc

python3 - "$STATIONS" "$POINTS" >drive.log <<'EOF'
import sys
stations, points = int(sys.argv[1]), int(sys.argv[2])
for step in range(points):
    for s in range(stations):
        lat = 4000 * 100 + s * 37 % 100000 + step * 3   # hundredths of a minute
        lon = 1000 * 100 + s * 53 + step * 2
        print("%d B%d-9>APRS,WIDE1-1:=%02d%02d.%02dN/%03d%02d.%02dE>%03d/%03d/A=%06d"
              % (1700000000 + step, s, lat // 6000, lat // 100 % 60, lat % 100, lon // 6000, lon // 100 % 60,
                 lon % 100, s * 7 % 360, 20 + s % 80, 100 + step))
EOF
mkdir app && cp "$APP" app/ && cp -r "$(dirname "$APP")/Icons" app/ 2>/dev/null
"$REPLAY" --speed 10 drive.log >replay.out 2>&1 &
PIDS+=($!)
wait_until 10 bash -c 'exec 3<>/dev/tcp/127.0.0.1/8000' 2>/dev/null || { echo "no replay"; exit 1; }
QT_QPA_PLATFORM=offscreen app/vireo-decoder >app.out 2>&1 &
APP_PID=$!
PIDS+=("$APP_PID")
start=$(date +%s.%N)
complete() {
    curl -s -m 20 -o served.kml http://127.0.0.1:8008/ && [ -s served.kml ] || return 1
    # Every station, and the last report of the last station.
    [ "$(grep -c '</Point>' served.kml)/$(grep -c "Track ($((POINTS - 1)))" served.kml)" = "$STATIONS/$STATIONS" ]
}
until complete; do
    sleep 1
    kill -0 "$APP_PID" 2>/dev/null || { echo "vireo-decoder ended: $(tail -3 app.out)"; exit 1; }
    [ $(($(date +%s) - ${start%.*})) -gt ${LIMIT:-300} ] && { echo "not complete: $(grep -c "</Point>" served.kml) points; $(tail -n 3 app.out); $(tail -n 3 replay.out); $(ls -la served.kml)"; exit 1; }
done
took=$(echo "$(date +%s.%N) - $start" | bc)
for _ in 1 2 3; do curl -s -m 20 -o /dev/null http://127.0.0.1:8008/; sleep 1; done
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$APP_PID/status")
rss=$(awk '/VmRSS/ {print $2}' "/proc/$APP_PID/status")
printf 'stations=%s points=%s loaded_in_s=%.1f document_MB=%.1f peak_rss_MB=%.1f rss_MB=%.1f\n' \
    "$STATIONS" "$POINTS" "$took" "$(echo "$(stat -c %s served.kml) / 1048576" | bc -l)" \
    "$(echo "$hwm / 1024" | bc -l)" "$(echo "$rss / 1024" | bc -l)"
