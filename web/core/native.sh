#!/usr/bin/env bash
# Builds the browser edition's core natively (g++), from the same sources as
# build.sh, with native/dump.cpp, which answers calls read from standard
# input: web/tests/core.test.mjs makes the same calls on the wasm and
# compares the answers byte for byte.
#
#     web/core/native.sh OUT_DIR      writes OUT_DIR/core-native
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[[ $# -eq 1 ]] || { echo "usage: web/core/native.sh OUT_DIR" >&2; exit 2; }
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/catalogue.py" "$root/translations/vk47_kana.ts" "$work/catalogue_table.cpp"
# shellcheck source=web/core/sources.sh
source "$here/sources.sh"
# The file reading and writing the core leaves out (the page has no files of
# its own) are linked in here: g++'s linker wants every symbol the module
# files name, also where nothing calls them.
sources=("${vk47_core_sources[@]/#/$root/}" "$root/model/file_io.cpp" "$root/model/file_io_posix.cpp"
  "$work/catalogue_table.cpp" "$here/native/dump.cpp")
${CXX:-g++} -std=c++20 -O1 -Wall -Wextra -I"$root" -I"$here" "${sources[@]}" -o "$out/core-native"
