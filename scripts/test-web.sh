#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the page (scripts/build-web.sh), the native tool and clip2c-board,
# copies the one file alone into an empty folder and drives it from file://
# in headless Chromium (/usr/bin/chromium, through puppeteer-core and axe-core as pinned
# in tests/web/package-lock.json), then the same in headless Firefox
# (/usr/bin/firefox-esr, when installed, through the same driver): clips converted as the tool converts them
# under the page's names, refusals, prepared clips, the engine's clips the
# same bytes as clip2c-board's at every rate, each target's text
# compiled by its board's toolchain (the progmem one played by the Arduino
# sketch in simavr), the fit, normalize and trim, the notes, the options,
# 375 px with a long name, accessibility, the privacy policy, long runs off
# the main thread, cancel, and no request but the page's own. Prints the
# speed figures and the page's size, and saves screenshots as
# build-web/web-page.png and build-web/web-page-375.png.
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
# The page the native build installs and packages (build/, when the test
# command's native suite made it) is this very file, so the test holds for
# the page a user gets from a package.
packaged=build/page/clip2c.html
if [ -f "$packaged" ] && ! cmp -s "$packaged" build-web/site/index.html; then
  echo "test-web.sh: $packaged differs from build-web/site/index.html" >&2
  exit 1
fi

cmake -S . -B build-web/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web/native --target clip2c clip2c-board -j "$(nproc)" >/dev/null

modules=$(bash scripts/web-driver.sh)

python3 tests/web/make_fixtures.py build-web/fixtures

run_test() {
  NODE_PATH="$modules" node tests/web/run_web_test.js \
    --site build-web/site --cases build-web/fixtures/cases.json --exe build-web/native/clip2c \
    --board build-web/native/clip2c-board --sketch tests/arduino/check_play_clip.py "$@"
}
run_test --scratch build-web/scratch --screenshot build-web/web-page.png
if [ -x /usr/bin/firefox-esr ]; then
  run_test --scratch build-web/scratch-firefox --screenshot build-web/web-page-firefox.png --browser firefox
else
  echo "test-web.sh: no Firefox run: /usr/bin/firefox-esr is not installed (apt-get install firefox-esr)"
fi

if [ "$update_screenshot" = 1 ]; then
  cp build-web/web-page.png doc/web-page.png
  echo "doc/web-page.png updated"
fi
