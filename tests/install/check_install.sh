#!/usr/bin/env bash
# Installs the build tree into a scratch prefix, then builds and runs a separate
# project that finds the package with find_package(Tundrel).
set -eu
build_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
test -x "$scratch/prefix/bin/Tundrel"
cmake -S "$here/consumer" -B "$scratch/consumer" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/consumer" >/dev/null
"$scratch/consumer/consumer"
