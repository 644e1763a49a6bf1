#!/usr/bin/env bash
# Benchmarks and long-run checks (not part of the tests):
#   - frames per second of every render mode at 640x480 and 1280x720 with 1,
#     8, 32 and 128 lights, and the deferred and classic frames against the
#     OpenGL floor (the same frame written directly against GL), same run;
#   - the deferred frame at 640x480 with 1 to 512 small lights, point-light
#     quads bounded to each light and covering the whole screen, same run;
#   - CPU time of the Direct3D 9 layer per draw call and per frame;
#   - the time of one device reset of the default scene;
#   - 100000 frames headless with constant memory;
#   - 1000 device losses and 1000 resizes in the ASan build (LeakSanitizer
#     checks at exit).
# Prints a Markdown report and keeps it, with the raw measurements, in
# build/bench/.
#   usage: tools/bench.sh [--quick]   (--quick: short runs that only check the harness)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=2 rounds=3 long_frames=100000 losses=1000 resizes=1000 resets=20
if [ "${1:-}" = "--quick" ]; then
  seconds=0 rounds=1 long_frames=12000 losses=12 resizes=12 resets=3
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--quick]" >&2
  exit 2
fi
sizes=(640x480 1280x720)
light_counts=(1 8 32 128)
small_light_counts=(1 8 32 128 512)

bash tools/install-deps.sh

jobs=$(nproc)
echo "== building (default and asan)" >&2
cmake --preset default > /dev/null
cmake --build --preset default -j "$jobs" --target kestralune_stage bench_frame_rate_bench \
  bench_long_run_check bench_d3d9_draw_bench > /dev/null
cmake --preset asan > /dev/null
cmake --build --preset asan -j "$jobs" --target bench_long_run_check > /dev/null

stage=build/default/stage
out=build/bench
mkdir -p "$out"
frames=$out/frames.tsv
: > "$frames"
export KESTRALUNE_HEADLESS=1

echo "== frame rates" >&2
for size in "${sizes[@]}"; do
  for lights in "${light_counts[@]}"; do
    echo "   ${size} with ${lights} lights" >&2
    build/default/bench/bench_frame_rate_bench "$stage" "${size%x*}" "${size#*x}" "$lights" \
      "$seconds" "$rounds" >> "$frames"
  done
done
# Where the CPU goes: a frame too small for rasterizing to matter.
echo "   64x48 with 128 lights (CPU-bound)" >&2
build/default/bench/bench_frame_rate_bench "$stage" 64 48 128 "$seconds" "$rounds" >> "$frames"

echo "== small lights" >&2
small=$out/small_lights.tsv
: > "$small"
for lights in "${small_light_counts[@]}"; do
  for quads in small small-full-screen; do
    echo "   640x480 with ${lights} lights (${quads})" >&2
    build/default/bench/bench_frame_rate_bench "$stage" 640 480 "$lights" "$seconds" "$rounds" \
      "$quads" Deferred | sed "s/^/${quads}\t/" >> "$small"
  done
done

echo "== CPU per draw call" >&2
build/default/bench/bench_d3d9_draw_bench --benchmark_format=csv 2> /dev/null |
  grep '^"' > "$out/draws.csv"

echo "== device reset time" >&2
reset_status=0
build/default/bench/bench_long_run_check "$stage" reset-time "$resets" > "$out/reset_time.txt" ||
  reset_status=$?

echo "== ${long_frames} frames" >&2
long_status=0
build/default/bench/bench_long_run_check "$stage" frames "$long_frames" > "$out/long_run.txt" ||
  long_status=$?

echo "== ${losses} device losses and ${resizes} resizes under ASan" >&2
asan_status=0
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true \
  build/asan/bench/bench_long_run_check "$stage" device-changes "$losses" "$resizes" \
  > "$out/device_changes.txt" 2> "$out/device_changes.err" || asan_status=$?

report() {
  echo "# Kestralune benchmark report"
  echo
  echo "$(date -u +%Y-%m-%d), $(lscpu | sed -n 's/^Model name: *//p' | head -1)," \
    "$(nproc) cores, $(awk -F'\t' '$1 == "renderer" { print $2; exit }' "$frames");" \
    "at least ${seconds} s per measurement; Deferred and Classic best of ${rounds} rounds" \
    "alternating with the floor."
  echo
  echo "## Frames per second"
  echo
  echo "| Size | Lights | Deferred | Classic | Diffuse | Specular | Position | Normal |"
  echo "|---|--:|--:|--:|--:|--:|--:|--:|"
  awk -F'\t' '$1 == "frame" && $2 > 64 {
      key = $2 "x" $3 " | " $4; if (!(key in row)) order[n++] = key
      row[key] = row[key] sprintf(" %.2f |", $7) }
    END { for (i = 0; i < n; i++) print "| " order[i] " |" row[order[i]] }' "$frames"
  echo
  echo "## Against the OpenGL floor"
  echo
  echo "Milliseconds per frame; ratio = ours / floor (goal: at most 1.05). Ours includes the"
  echo "frame-rate text, which the floor does not draw. Pictures: the largest channel"
  echo "difference between the two frames (outside the frame-rate text)."
  echo
  echo "| Size | Lights | Deferred | floor | ratio | Classic | floor | ratio | pictures |"
  echo "|---|--:|--:|--:|--:|--:|--:|--:|--:|"
  awk -F'\t' '
    $1 == "frame" && ($5 == "Deferred" || $5 == "Classic") { ours[$2 "x" $3 " | " $4, $5] = $8 }
    $1 == "floor" { key = $2 "x" $3 " | " $4; floor_ms[key, $5] = $8
                    if (!(key in seen)) { seen[key] = 1; order[n++] = key } }
    $1 == "picture" { key = $2 "x" $3 " | " $4
                      if (!(key in worst) || $6 > worst[key]) worst[key] = $6 }
    END { for (i = 0; i < n; i++) { k = order[i]
            printf "| %s | %.1f | %.1f | %.2f | %.1f | %.1f | %.2f | %d |\n", k,
              ours[k, "Deferred"], floor_ms[k, "Deferred"], ours[k, "Deferred"] / floor_ms[k, "Deferred"],
              ours[k, "Classic"], floor_ms[k, "Classic"], ours[k, "Classic"] / floor_ms[k, "Classic"],
              worst[k] } }' "$frames"
  echo
  echo "## Small lights"
  echo
  echo "Deferred at 640x480, one sun and point lights of radius 25 over the room's floor"
  echo "and walls; frames per second with each point light's quad bounded to its screen"
  echo "rectangle and with full-screen quads, and milliseconds per frame against the floor."
  echo
  echo "| Lights | bounded fps | full-screen fps | speed-up | bounded ms | floor ms | ratio | pictures |"
  echo "|--:|--:|--:|--:|--:|--:|--:|--:|"
  awk -F'\t' '
    $2 == "frame" { fps[$5, $1] = $8; ms[$5, $1] = $9; if (!($5 in seen)) { seen[$5] = 1; order[n++] = $5 } }
    $2 == "floor" && $1 == "small" { floor_ms[$5] = $9 }
    $2 == "picture" { if (!($5 in worst) || $7 > worst[$5]) worst[$5] = $7 }
    END { for (i = 0; i < n; i++) { k = order[i]
            printf "| %s | %.2f | %.2f | %.2f | %.1f | %.1f | %.2f | %d |\n", k, fps[k, "small"],
              fps[k, "small-full-screen"], fps[k, "small"] / fps[k, "small-full-screen"],
              ms[k, "small"], floor_ms[k], ms[k, "small"] / floor_ms[k], worst[k] } }' "$small"
  echo
  echo "## CPU time"
  echo
  echo "Per draw call, our Direct3D 9 layer plus Mesa's submission (bench_d3d9_draw):"
  echo
  awk -F, '{ gsub(/"/, "", $1); printf "- %s: %.2f us CPU\n", $1, $4 / 1000 }' "$out/draws.csv"
  echo
  echo "Per frame, on the thread that issues every GL call (milliseconds), in the"
  echo "CPU-bound 64x48 frame (at larger sizes that thread also rasterizes, which"
  echo "swamps the difference); the difference is what the program's path (Direct3D 9"
  echo "layer, effect, renderer, framework, the frame-rate text) adds to the same GL work:"
  echo
  echo "| Size | Lights | Mode | draws | ours | floor | difference | per draw (us) |"
  echo "|---|--:|---|--:|--:|--:|--:|--:|"
  awk -F'\t' '
    $2 != 64 { next }
    $1 == "frame" { ours[$2 "x" $3 " | " $4 " | " $5] = $9 }
    $1 == "floor" { key = $2 "x" $3 " | " $4 " | " $5; floor_cpu[key] = $9; order[n++] = key }
    $1 == "draws" { draws[$2 "x" $3 " | " $4 " | " $5] = $6 }
    END { for (i = 0; i < n; i++) { k = order[i]; d = ours[k] - floor_cpu[k]
            printf "| %s | %d | %.2f | %.2f | %.2f | %.1f |\n", k, draws[k], ours[k], floor_cpu[k],
              d, 1000 * d / draws[k] } }' "$frames"
  echo
  echo "## Device reset"
  echo
  echo "One reset of the default scene at 640x480 in Deferred mode (every render resource"
  echo "released and made again, the effect read from its file), median of ${resets}, in ms:"
  echo "the reset itself, the first frame after it and an ordinary frame: $( [ $reset_status -eq 0 ] &&
    awk -F'\t' '$1 == "median" { printf "%s, %s, %s", $2, $3, $4 }' "$out/reset_time.txt" ||
    echo "FAILED (exit $reset_status)")"
  echo
  echo "## Long runs"
  echo
  echo "${long_frames} frames at 160x120 (modes changing every 500 frames), memory after each"
  echo "round of the six modes (resident KiB, heap KiB); the lowest of the second half of the"
  echo "rounds against the lowest of the first: $( [ $long_status -eq 0 ] && echo held || echo FAILED)"
  echo
  echo '```'
  cat "$out/long_run.txt"
  echo '```'
  echo
  echo "${losses} device losses and ${resizes} resizes, ASan build: $( [ $asan_status -eq 0 ] &&
    echo "held, LeakSanitizer clean" || echo "FAILED (exit $asan_status)")"
  echo
  echo '```'
  cat "$out/device_changes.txt"
  grep -m 20 -E "ERROR|SUMMARY|leak" "$out/device_changes.err" || true
  echo '```'
}

report | tee "$out/report.md"
echo >&2
echo "Report: $out/report.md" >&2
[ $long_status -eq 0 ] && [ $asan_status -eq 0 ] && [ $reset_status -eq 0 ]
