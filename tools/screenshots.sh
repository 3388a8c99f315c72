#!/usr/bin/env bash
# Pictures of the window's three layouts and of the follow panel for the README: the program, fed by the replay TNC
# playing the sample drive, runs under Xvfb; xdotool switches the layouts and ImageMagick's
# import takes each picture.
#
#   tools/screenshots.sh [BUILD_DIR]   (default: build) -> docs/window-{compact,follow,settings,info}.png
#
# Needs xvfb-run, xdotool and import (Debian: xvfb, xdotool, imagemagick). Uses ports 8000 and
# 8008 of a private network namespace when one can be had, else of this machine.
set -eu
ROOT=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
BUILD=$(readlink -f "${1:-$ROOT/build}")
for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
if [ -z "${VIREO_SHOTS_ISOLATED:-}" ] && unshare --net --map-root-user true 2>/dev/null; then
    VIREO_SHOTS_ISOLATED=1 exec unshare --net --map-root-user bash "$0" "$BUILD"
fi
[ -n "${VIREO_SHOTS_ISOLATED:-}" ] && ip link set lo up

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vireo-shots.XXXXXX")
REPLAY_PID=
cleanup() {
    [ -n "$REPLAY_PID" ] && kill "$REPLAY_PID" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
mkdir "$WORK/app" "$WORK/home"
cp -r "$BUILD/vireo-decoder" "$BUILD/Icons" "$BUILD/move.wav" "$BUILD/Vireo_Istr.rtf" "$WORK/app/"
"$BUILD/vireo-agw-replay" --loop --speed 30 "$ROOT/resources/samples/sample-drive.log" \
    >"$WORK/replay.out" 2>&1 &
REPLAY_PID=$!

# Runs inside the X server: start the program, wait for stations, picture each layout.
cat >"$WORK/shoot.sh" <<'SHOOT'
set -eu
cd "$1/app"
HOME=$1/home ./vireo-decoder >"$1/app.out" 2>&1 &
APP=$!
for _ in $(seq 50); do
    WINDOW=$(xdotool search --onlyvisible --name "Vireo" 2>/dev/null | head -1) && [ -n "$WINDOW" ] && break
    sleep 0.2
done
sleep 12  # stations arrive from the replay
shoot() { xdotool windowfocus --sync "$WINDOW"; sleep 1; import -window "$WINDOW" "$2/window-$1.png"; }
shoot compact "$2"
xdotool windowfocus --sync "$WINDOW" key alt+g Return  # Follow a station
sleep 1
xdotool type car1-9
shoot follow "$2"
xdotool key Tab Tab space  # the follow panel's Cancel
sleep 1
xdotool windowfocus --sync "$WINDOW" key alt+f p  # More info Panel
sleep 2
shoot info "$2"
xdotool windowfocus --sync "$WINDOW" key alt+f s  # Show / Edit Settings
sleep 2
shoot settings "$2"
kill "$APP"
wait "$APP" || true
SHOOT
xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" bash "$WORK/shoot.sh" "$WORK" "$ROOT/docs"
ls -l "$ROOT"/docs/window-*.png
