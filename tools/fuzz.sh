#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (KESTRALUNE_FUZZ_SECONDS, default 20) on a seed corpus of the project's own
# files. A crash, leak or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${KESTRALUNE_FUZZ_SECONDS:-20}
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz -j "$(nproc)"

corpus_root=build/fuzz/corpus
rm -rf "$corpus_root"
mkdir -p "$corpus_root"

# Seeds come from the default scene and the shipped effect. A seed pattern
# that matches nothing is an error: an empty corpus would silently start the
# target from nothing.
seed() {  # seed <target> <files...>
  local dir="$corpus_root/$1"
  shift
  mkdir -p "$dir"
  for file in "$@"; do
    if [ ! -f "$file" ]; then
      echo "fuzz.sh: missing seed $file" >&2
      exit 1
    fi
    cp "$file" "$dir/"
  done
}

seed xfile_fuzz scene/meshes/*.x
seed image_fuzz scene/textures/*
seed effect_translator_fuzz shaders/DS_prep.fx
seed scene_lists_fuzz scene/test.meshs scene/test.lights
seed light_file_fuzz scene/lights/*

status=0
for target in build/fuzz/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$corpus_root/$name"
  echo "-- $name for ${seconds}s"
  if ! (cd build/fuzz && "../../$target" -max_total_time="$seconds" -max_len=65536 \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "../../$corpus_root/$name" \
        > "../../$corpus_root/$name.log" 2>&1); then
    echo "FAILED: $name" >&2
    tail -40 "$corpus_root/$name.log" >&2
    status=1
  fi
done
exit $status
