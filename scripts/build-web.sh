#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the browser page as one self-contained file,
# build-web/site/index.html: web/index.html with its stylesheet, its scripts
# and clip2c-core.js (the tool's conversion compiled to WebAssembly, the
# module inside) written into it by cmake/inline_page.cmake. It names no
# other file, so it opens from file:// or from any static host as it is.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

# Debian's emscripten runs its tools with the system's Node, which finds
# their packages only through NODE_PATH.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

emcmake cmake -S . -B build-web/wasm -DCMAKE_BUILD_TYPE=MinSizeRel -DCLIP2C_INSTALL=OFF -DCLIP2C_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-web/wasm

site=build-web/site
rm -rf "$site"
mkdir -p "$site"
cmake -DPAGE=web/index.html -DWEB_DIR=web -DCORE=build-web/wasm/web/clip2c-core.js -DOUTPUT="$site/index.html" \
  -P cmake/inline_page.cmake
echo "site: $site/index.html ($(wc -c <"$site/index.html") bytes; $(wc -c <build-web/wasm/web/clip2c-core.js) bytes of module)"
