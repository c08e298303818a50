// SPDX-License-Identifier: MIT
// Times the page from the file input's change event to the first frame
// painted with the result (bench/page-bench.sh runs it).
//
//   node page_bench.js --page <index.html> --scratch <folder> --runs <n>
'use strict';

const fs = require('fs');
const path = require('path');
const {pathToFileURL} = require('url');
const {launchChromium} = require('../tests/web/chromium.js');

const CLIPS = [['1 MiB raw clip', 1 << 20], ['32 MiB raw clip', 32 << 20]];

function options() {
  const out = {};
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) out[argv[i].replace(/^--/, '')] = argv[i + 1];
  return {page: path.resolve(out.page), scratch: path.resolve(out.scratch), runs: Number(out.runs || 7)};
}

// A clip of `size` bytes that covers every value.
function clip(folder, size) {
  const file = path.join(folder, size + '.raw');
  const bytes = Buffer.alloc(size);
  for (let i = 0; i < size; i++) bytes[i] = (i * 37 + 11) & 0xFF;
  fs.writeFileSync(file, bytes);
  return file;
}

// One run: the time from the change event to the end of the first frame
// after the page shows the result. A frame's callbacks run before it is
// painted; a task posted from the next one's runs after the paint.
async function once(page, file) {
  await page.evaluate(() => {
    const input = document.getElementById('clip');
    input.value = '';
    window.benchDone = new Promise((resolve) => {
      input.addEventListener('change', (event) => {
        const from = event.timeStamp;
        const state = document.getElementById('state');
        const seen = new MutationObserver(() => {
          if (state.dataset.state !== 'done') return;
          seen.disconnect();
          requestAnimationFrame(() => requestAnimationFrame(() => resolve(performance.now() - from)));
        });
        seen.observe(state, {attributes: true, attributeFilter: ['data-state']});
      }, {once: true});
    });
  });
  await (await page.$('#clip')).uploadFile(file);
  return page.evaluate(() => window.benchDone);
}

async function main() {
  const opts = options();
  fs.rmSync(opts.scratch, {recursive: true, force: true});
  fs.mkdirSync(opts.scratch, {recursive: true});
  const browser = await launchChromium(opts.scratch);
  try {
    const page = await browser.newPage();
    // Tall enough that the text's first lines are in view: they are part of
    // the frame that is timed.
    await page.setViewport({width: 1000, height: 1600});
    await page.goto(pathToFileURL(opts.page).href);
    await page.waitForFunction(() => window.clip2cTexts !== undefined, {timeout: 10000});
    for (const [name, size] of CLIPS) {
      const file = clip(opts.scratch, size);
      await once(page, file);  // a first run warms the worker and the caches
      const times = [];
      for (let i = 0; i < opts.runs; i++) times.push(await once(page, file));
      times.sort((a, b) => a - b);
      console.log(name + ': change to painted, median ' + times[times.length >> 1].toFixed(0) + ' ms of ' +
          opts.runs + ' runs (' + times[0].toFixed(0) + '\u2013' + times[times.length - 1].toFixed(0) + ' ms)');
    }
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
