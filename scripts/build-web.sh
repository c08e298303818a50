#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the browser page into build-web/site/: index.html at its root, its
# stylesheet and script, and clip2c-core.js (the tool's conversion compiled
# to WebAssembly, in one file). Every path in the site is relative, so the
# folder opens from file:// or from any static host as it is.
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
cp web/index.html web/style.css web/page.js build-web/wasm/web/clip2c-core.js "$site/"
echo "site: $site ($(wc -c <"$site/clip2c-core.js") bytes of module)"
