#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
#   default (optimised with debug info), asan (AddressSanitizer and
#   UndefinedBehaviorSanitizer), windows-cross (the system against the real
#   Windows SDK headers, with mingw-w64; the staged folder and the
#   executable's imports are checked), and the fuzz targets for a bounded
#   time. Checks the formatting first; warnings are errors in every build here.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)

echo "== format"
# A file that drifts from .clang-format fails the run before anything is built.
bash tools/check-format.sh

# Warnings are errors here, as in the asan preset; a plain default build only warns.
echo "== default: build and test"
cmake --preset default -DKESTRALUNE_WERROR=ON > /dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default

echo "== asan: build and test"
cmake --preset asan > /dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan

echo "== windows-cross: build, stage and check the folder"
cmake --preset windows-cross -DKESTRALUNE_WERROR=ON > /dev/null
cmake --build --preset windows-cross -j "$jobs"
ctest --preset windows-cross

if [ -x tools/fuzz.sh ]; then
  echo "== fuzz targets"
  bash tools/fuzz.sh
fi
