#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes sure the browser driver (puppeteer-core and axe-core, as pinned in
# tests/web/package-lock.json) is installed in build-web/driver, and prints
# its node_modules folder. npm ci runs again only when the lock file
# changed. Chromium is Debian's: nothing is downloaded but the pinned
# packages.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

driver=build-web/driver
if ! cmp -s tests/web/package-lock.json "$driver/package-lock.json" || [ ! -d "$driver/node_modules" ]; then
  rm -rf "$driver"
  mkdir -p "$driver"
  cp tests/web/package.json tests/web/package-lock.json "$driver/"
  (cd "$driver" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error) >&2
fi
echo "$repo/$driver/node_modules"
