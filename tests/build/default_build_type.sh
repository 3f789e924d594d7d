#!/usr/bin/env bash
# A plain configure, as a user or a packager types it, builds what gets
# installed: a Release build, optimised and without debug information.
set -euo pipefail
source_dir=${1:?source directory}
build=$(mktemp -d /tmp/brimvel-buildtype.XXXXXX)
trap 'rm -rf "$build"' EXIT
cmake -S "$source_dir" -B "$build" -G Ninja -DBRIMVEL_TESTS=OFF >/dev/null
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$type" != Release ]; then
  echo "default_build_type: a plain configure gives '$type', not Release"
  exit 1
fi
# An explicit choice is kept.
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$type" = Debug ] || { echo "default_build_type: an explicit Debug became '$type'"; exit 1; }
echo "default_build_type: Release by default, Debug when asked"
