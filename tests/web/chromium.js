// SPDX-License-Identifier: MIT
// Starts Debian's Chromium headless for the browser test and the page's
// benchmark, with a fresh profile in `scratch`. The flags keep it off the
// network it would otherwise reach for (updates, sync, QUIC), which this
// machine's closed network refuses.
'use strict';

const path = require('path');
const puppeteer = require('puppeteer-core');

function launchChromium(scratch) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(scratch, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
}

module.exports = {launchChromium};
