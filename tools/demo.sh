#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it on the default scene.
# With a display it opens the window; without one it renders headless, writes
# PNG captures of the frames and says where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset default > /dev/null
cmake --build --preset default -j "$(nproc)" --target kestralune_stage

stage=build/default/stage
if [ ! -x "$stage/kestralune" ]; then
  echo "The kestralune executable is not built yet." >&2
  exit 1
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${KESTRALUNE_HEADLESS:-}" ]; then
  cd "$stage" && exec ./kestralune "$@"
fi

exec bash tools/capture-demo.sh "$stage" "$@"
