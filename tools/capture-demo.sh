#!/usr/bin/env bash
# Runs the real program headless on the default scene: flies the camera and
# switches through all six render modes with scripted keys, writes PNG
# captures of one frame per mode, then prints the frame rate seen per mode.
#   usage: tools/capture-demo.sh <stage folder> [extra program options]
set -euo pipefail

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <stage folder> [extra program options]" >&2
  echo "  e.g. $0 build/default/stage   (KESTRALUNE_CAPTURE_DIR, KESTRALUNE_FRAMES_PER_MODE)" >&2
  [ $# -ge 1 ] && echo "not a folder: $1" >&2
  exit 2
fi
stage=$(cd "$1" && pwd)
shift
captures=${KESTRALUNE_CAPTURE_DIR:-$PWD/captures}
frames_per_mode=${KESTRALUNE_FRAMES_PER_MODE:-60}
mkdir -p "$captures"
rm -f "$captures"/frame_*.png

modes=(Deferred Classic "Diffuse channel" "Specular channel" "Position channel" "Normal channel")
mode_keys=(0 5 1 2 3 4)

# The camera starts in front of the room's open end, looking down its length.
# In deferred mode it flies forward through the opening and turns a little
# to the left, towards the fence and the crates; the turn is small (about
# 0.2 rad) and comes late, so the whole view stays on the room's inside
# faces. The other modes show the same view from where it stopped.
turn_start=$((frames_per_mode * 3 / 4))
turn_end=$((turn_start + (frames_per_mode + 14) / 15))
script="2:down:W;${frames_per_mode}:up:W;${turn_start}:down:LEFT;${turn_end}:up:LEFT"
capture_frames=""
for index in "${!modes[@]}"; do
  start=$((index * frames_per_mode))
  [ "$index" -gt 0 ] && script="$script;${start}:press:${mode_keys[$index]}"
  capture_frames="$capture_frames${capture_frames:+,}$((start + frames_per_mode))"
done
total=$((frames_per_mode * ${#modes[@]}))
times=$(mktemp)
trap 'rm -f "$times"' EXIT

echo "Rendering $total frames headless ($frames_per_mode per mode)..."
set +e
(cd "$stage" && KESTRALUNE_HEADLESS=1 KESTRALUNE_INPUT_SCRIPT="$script" \
  KESTRALUNE_CAPTURE_DIR="$captures" KESTRALUNE_CAPTURE_FRAMES="$capture_frames" \
  KESTRALUNE_FRAME_TIMES="$times" \
  ./kestralune -constantframetime:0.0333 -quitafterframe:"$total" "$@")
status=$?
set -e

echo
echo "Frame rates (frames per second of wall time, llvmpipe or GPU as available):"
for index in "${!modes[@]}"; do
  first=$((index * frames_per_mode + 2))
  last=$(((index + 1) * frames_per_mode))
  awk -v first="$first" -v last="$last" -v name="${modes[$index]}" '
    $1 == first { start = $2 } $1 == last { stop = $2 }
    END { if (stop > start) printf "  %-18s %7.1f\n", name, (last - first) / (stop - start);
          else printf "  %-18s    n/a\n", name }' "$times"
done
echo
echo "Captures: $captures"
ls "$captures" | sed 's/^/  /'
exit $status
