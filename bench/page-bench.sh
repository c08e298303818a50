#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The page's speed as a user sees it: from the file input's change event to
# the first frame painted with the result, the module already loaded, for a
# 1 MiB and a 32 MiB raw clip and 3 minutes of 44.1 kHz 16-bit stereo WAV;
# and the longest task of the page's main thread meanwhile, whose goal is
# 100 ms. Builds the page (scripts/build-web.sh), then prints each clip's
# median and range over its runs.
#
#   bash bench/page-bench.sh [runs]      # runs per clip, 7 by default
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/build-web.sh >/dev/null
modules=$(bash scripts/web-driver.sh)
NODE_PATH="$modules" node bench/page_bench.js --page build-web/site/index.html \
  --scratch build-web/bench --runs "${1:-7}"
