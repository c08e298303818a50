// SPDX-License-Identifier: MIT
// Starts Debian's Firefox ESR headless for the browser test, through
// WebDriver BiDi, with a fresh profile in `scratch`. The preferences keep it
// off the network it would otherwise reach for (updates, telemetry, safe
// browsing lists), which this machine's closed network refuses.
'use strict';

const path = require('path');
const puppeteer = require('puppeteer-core');

const FIREFOX = '/usr/bin/firefox-esr';

function launchFirefox(scratch) {
  return puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    userDataDir: path.join(scratch, 'profile'),
    extraPrefsFirefox: {
      'app.update.enabled': false,
      'browser.safebrowsing.downloads.remote.enabled': false,
      'browser.safebrowsing.malware.enabled': false,
      'browser.safebrowsing.phishing.enabled': false,
      'datareporting.policy.dataSubmissionEnabled': false,
      'network.captive-portal-service.enabled': false,
      'toolkit.telemetry.enabled': false,
    },
  });
}

module.exports = {FIREFOX, launchFirefox};
