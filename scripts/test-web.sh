#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the page (scripts/build-web.sh) and the native tool, then drives the
# page from file:// in headless Chromium (/usr/bin/chromium, through
# puppeteer-core as pinned in tests/web/package-lock.json): clips converted
# as the tool converts them, refusals, prepared clips, the options, the speed
# of a 1 MiB clip, and no request but the page's own. Prints the speed figure
# and the page's size, and saves a screenshot as build-web/web-page.png.
#
#   bash scripts/test-web.sh [--update-screenshot]   # also copies it to doc/web-page.png
#
# Exits non-zero when any case fails.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

update_screenshot=0
if [ "${1:-}" = "--update-screenshot" ]; then update_screenshot=1; fi

bash scripts/build-web.sh

cmake -S . -B build-web/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web/native --target clip2c -j "$(nproc)" >/dev/null

modules=$(bash scripts/web-driver.sh)

python3 tests/web/make_fixtures.py build-web/fixtures

NODE_PATH="$modules" node tests/web/run_web_test.js \
  --site build-web/site --cases build-web/fixtures/cases.json --exe build-web/native/clip2c \
  --scratch build-web/scratch --screenshot build-web/web-page.png --sketch tests/arduino/check_play_clip.py

if [ "$update_screenshot" = 1 ]; then
  cp build-web/web-page.png doc/web-page.png
  echo "doc/web-page.png updated"
fi
