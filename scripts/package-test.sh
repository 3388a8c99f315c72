#!/usr/bin/env bash
# Builds the Debian package in the build folder, installs it with apt-get, and runs the installed
# program offscreen against the installed vireo-agw-replay playing the sample drive: the document
# it serves on port 8008 must hold placemarks and be well-formed XML, and SIGTERM must end it.
# Everything started here is stopped, the files the program wrote are removed, and the package is
# removed again unless it was installed before. Takes at most two minutes.
#
#   scripts/package-test.sh [BUILD_FOLDER]      (default: build; run as root or with sudo)
set -euo pipefail
if [ -z "${VIREO_PACKAGE_TEST_TIMED:-}" ]; then
    exec env VIREO_PACKAGE_TEST_TIMED=1 timeout -k 5 120 "$0" "$@"
fi
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
say() { echo "package-test: $*"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vireo-package.XXXXXX")
replay=
app=
installed_before=false
dpkg-query -W -f='${Status}' vireo-decoder 2>/dev/null | grep -q 'install ok installed' &&
    installed_before=true
# The program keeps its files beside the executable when it may write there (as root it may).
left_files=()
for name in Vireo_Decoder.ini Vireo_Decoder.kml Positions.ini Positions.dat; do
    [ -e "/usr/bin/$name" ] || left_files+=("/usr/bin/$name")
done

stop() {
    [ -n "$1" ] || return 0
    kill -TERM "$1" 2>/dev/null || return 0
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    local status=$?
    trap - EXIT INT TERM
    stop "$app"
    stop "$replay"
    $SUDO rm -f "${left_files[@]}"
    if ! $installed_before; then
        $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq vireo-decoder >/dev/null || true
    fi
    if [ "$status" != 0 ]; then
        for log in "$work"/*.out; do [ -s "$log" ] && { echo "---- $(basename "$log")"; tail -n 20 "$log"; }; done
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

(cd "$build" && rm -f vireo-decoder_*.deb && cpack -G DEB >"$work/cpack.out" 2>&1)
deb=$(echo "$build"/vireo-decoder_*.deb)
[ -f "$deb" ] || { say "FAIL: cpack made no vireo-decoder_*.deb"; exit 1; }
(cd "$build" && $SUDO env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq "./$(basename "$deb")" >"$work/apt.out" 2>&1) ||
    { say "FAIL: apt-get install ./$(basename "$deb")"; cat "$work/apt.out"; exit 1; }
say "installed $(basename "$deb")"

# Port 8000 (the TNC) and 8008 (the program) may be taken for a while by another test run.
for _ in $(seq 60); do
    ss -Hltn '( sport = :8000 or sport = :8008 )' | grep -q . || break
    sleep 1
done
ss -Hltn '( sport = :8000 or sport = :8008 )' | grep -q . && { say "FAIL: port 8000 or 8008 stays taken"; exit 1; }

cd "$work"
mkdir home
vireo-agw-replay --loop --speed 5 /usr/share/vireo-decoder/samples/sample-drive.log >replay.out 2>&1 &
replay=$!
# A normal run with the default settings: TNC on localhost:8000, document on port 8008.
HOME=$work/home XDG_RUNTIME_DIR=$work/home QT_QPA_PLATFORM=offscreen vireo-decoder >app.out 2>&1 &
app=$!

# The first 40 s after start-up are a send window: the document then answers GET /.
code=
for _ in $(seq 40); do
    sleep 1
    kill -0 "$app" 2>/dev/null || { say "FAIL: vireo-decoder stopped by itself"; exit 1; }
    code=$(curl -s -o served.kml -w '%{http_code}' --max-time 3 http://127.0.0.1:8008/ || true)
    [ "$code" = 200 ] && grep -q '<Placemark' served.kml && break
done
grep -q '<Placemark' served.kml 2>/dev/null ||
    { say "FAIL: no document with placemarks on port 8008 (last answer: ${code:-none})"; exit 1; }
xmllint --noout served.kml || { say "FAIL: the served document is not well-formed"; exit 1; }
say "served document: well-formed, $(grep -o '<Placemark' served.kml | wc -l) placemarks"

kill -TERM "$app"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { say "FAIL: vireo-decoder still running 10 s after SIGTERM"; exit 1; }
status=0
wait "$app" || status=$?
app=
[ "$status" = 0 ] || { say "FAIL: vireo-decoder exited with status $status on SIGTERM"; exit 1; }
say "PASS"
