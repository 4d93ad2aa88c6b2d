#!/usr/bin/env bash
# Builds the browser edition's core: the Qt-free modules (model/, sim/,
# text/, link/'s protocol and words) and the binding files web/core/*.cpp,
# with the hiragana catalogue compiled in, into OUT_DIR/core.js (an ES module
# factory, `export default`) and OUT_DIR/core.wasm.
#
#     web/core/build.sh OUT_DIR
#
# Debian's emscripten (em++ 3.1.6) with its frozen library cache, used as
# installed: EM_CACHE is never pointed elsewhere.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[[ $# -eq 1 ]] || { echo "usage: web/core/build.sh OUT_DIR" >&2; exit 2; }
out=$1
mkdir -p "$out"
command -v em++ >/dev/null || { echo "build.sh: em++ not found (Debian: emscripten, see scripts/setup-deps)" >&2; exit 1; }
# emscripten's JavaScript tools need Debian's node modules (acorn).
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/catalogue.py" "$root/translations/vk47_kana.ts" "$work/catalogue_table.cpp"

# shellcheck source=web/core/sources.sh
source "$here/sources.sh"
sources=("${vk47_core_sources[@]/#/$root/}" "$work/catalogue_table.cpp")

em++ -std=c++20 -Oz -I"$root" -I"$here" \
  -sMODULARIZE=1 -sEXPORT_ES6=1 -sEXPORT_NAME=createVk47Core \
  -sENVIRONMENT=web,worker,node -sFILESYSTEM=0 -sALLOW_MEMORY_GROWTH=1 \
  -sMALLOC=emmalloc -sINCOMING_MODULE_JS_API=wasmBinary,locateFile,print,printErr \
  --extern-pre-js "$here/node_shim.js" \
  "${sources[@]}" -o "$out/core.js"
