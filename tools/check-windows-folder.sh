#!/usr/bin/env bash
# Checks the staged Windows folder: it holds kestralune.exe, the default scene
# and the shaders, and the executable imports only DLLs that a stock Windows
# ships, plus d3dx9_27.dll (from Microsoft's DirectX End-User Runtime).
#   usage: tools/check-windows-folder.sh <stage folder>
#          tools/check-windows-folder.sh --imports <executable>
# Prints the import table; exits 1 naming each problem it found.
set -euo pipefail

usage() {
  echo "usage: $0 <stage folder> | --imports <executable>" >&2
  exit 2
}
[ $# -ge 1 ] || usage

objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
problems=0

# DLLs of Windows itself (lower case), and the one runtime the user installs.
allowed=" kernel32.dll user32.dll gdi32.dll shell32.dll comctl32.dll advapi32.dll
  ole32.dll winmm.dll d3d9.dll msvcrt.dll ucrtbase.dll d3dx9_27.dll "

check_imports() {
  local executable=$1 dlls
  if ! dlls=$("$objdump" -p "$executable" | sed -n 's/^[[:space:]]*DLL Name: //p'); then
    echo "cannot read the import table of $executable" >&2
    problems=$((problems + 1))
    return
  fi
  if [ -z "$dlls" ]; then
    echo "no imports found in $executable" >&2
    problems=$((problems + 1))
    return
  fi
  echo "Imports of $executable:"
  while read -r dll; do
    local lower=${dll,,}
    if [[ "$allowed" == *" $lower "* || "$lower" == api-ms-win-* ]]; then
      echo "  $dll"
    else
      echo "  $dll    <- not a system DLL: not on a stock Windows"
      problems=$((problems + 1))
    fi
  done <<< "$dlls"
}

if [ "$1" = --imports ]; then
  [ $# -eq 2 ] || usage
  check_imports "$2"
else
  [ $# -eq 1 ] || usage
  stage=$1
  for file in kestralune.exe test.lights test.meshs shaders/DS_prep.fx; do
    if [ ! -f "$stage/$file" ]; then
      echo "missing from $stage: $file" >&2
      problems=$((problems + 1))
    fi
  done
  # Every file the scene lists must be in the folder too.
  for list in test.lights test.meshs; do
    [ -f "$stage/$list" ] || continue
    while IFS= read -r entry || [ -n "$entry" ]; do
      entry=${entry%$'\r'}
      case $entry in ''|'!'*) continue ;; esac
      entry=${entry//\\//}
      if [ ! -f "$stage/$entry" ]; then
        echo "missing from $stage: $entry (listed in $list)" >&2
        problems=$((problems + 1))
      fi
    done < "$stage/$list"
  done
  if [ ! -f "$stage/textures/none.bmp" ]; then
    echo "missing from $stage: textures/none.bmp" >&2
    problems=$((problems + 1))
  fi
  [ -f "$stage/kestralune.exe" ] && check_imports "$stage/kestralune.exe"
fi

if [ "$problems" -gt 0 ]; then
  echo "FAILED: $problems problem(s)" >&2
  exit 1
fi
echo "OK"
