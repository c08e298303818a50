// SPDX-License-Identifier: MIT
// Drives the built page in headless Chromium through the tables that
// make_fixtures.py wrote, and compares what the page gives with what the
// native tool writes for a file of the same name.
//
//   node run_web_test.js --site <folder> --cases <cases.json> --exe <clip2c>
//                        --scratch <folder> --screenshot <png>
//
// Prints one line per case, the speed figure and the page's size; exits 1
// when any case fails.
'use strict';

const {spawnSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const {pathToFileURL} = require('url');
const puppeteer = require('puppeteer-core');

const SPEED_LIMIT_MS = 100;
const SPEED_RUNS = 7;
const ENGLISH = {
  2: 'The input file is neither raw nor wav.',
  3: 'wav files: only mono is supported.',
  4: 'wav files: only 8 bit is supported.',
  5: 'empty',
};

function options() {
  const out = {};
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) out[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const key of ['site', 'cases', 'exe', 'scratch', 'screenshot']) {
    if (!out[key]) throw new Error('missing --' + key);
    out[key] = path.resolve(out[key]);
  }
  return out;
}

// --- Tally ------------------------------------------------------------------

const tally = {passed: 0, failed: 0, skipped: 0};

function record(name, problems) {
  if (problems.length) {
    tally.failed++;
    console.log(['FAIL ' + name].concat(problems).join('\n     '));
  } else {
    tally.passed++;
    console.log('ok   ' + name);
  }
}

function skip(name, reason) {
  tally.skipped++;
  console.log('SKIP ' + name + ': ' + reason);
}

// --- The native tool ----------------------------------------------------------

let scratchCount = 0;
let probing = false;

// Runs the tool on `bytes` saved as `name` in a fresh folder, as
// `clip2c [/SIGNED] <name>`; returns the files it wrote, by name.
function runNative(opts, name, bytes, signed) {
  const folder = path.join(opts.scratch, 'native-' + ++scratchCount);
  fs.mkdirSync(folder, {recursive: true});
  fs.writeFileSync(path.join(folder, name), bytes);
  const run = spawnSync(opts.exe, signed ? ['/SIGNED', name] : [name], {cwd: folder});
  const written = {};
  for (const entry of fs.readdirSync(folder)) {
    if (entry !== name) written[entry] = fs.readFileSync(path.join(folder, entry));
  }
  return {status: run.status, written};
}

// --- The page -----------------------------------------------------------------

async function setOptions(page, signed, rate) {
  // Set without events: a change event would re-run the previous clip.
  await page.evaluate((s, r) => {
    document.getElementById('signed').checked = s;
    document.getElementById('rate').value = String(r);
  }, signed, rate);
}

async function runCount(page) {
  return Number(await page.$eval('#state', (s) => s.dataset.run));
}

async function waitForRun(page, after) {
  await page.waitForFunction((n) => {
    const s = document.getElementById('state');
    return Number(s.dataset.run) > n && (s.dataset.state === 'done' || s.dataset.state === 'error');
  }, {timeout: 30000}, after);
}

async function choose(page, file) {
  const before = await runCount(page);
  await page.$eval('#clip', (input) => { input.value = ''; });
  const input = await page.$('#clip');
  await input.uploadFile(file);
  await waitForRun(page, before);
}

// The bytes behind a link's blob: URL, or null when it has none.
async function linkBytes(page, selector) {
  const base64 = await page.$eval(selector, async (a) => {
    const href = a.getAttribute('href');
    if (!href) return null;
    const blob = await (await fetch(href)).blob();
    return new Promise((resolve) => {
      const reader = new FileReader();
      reader.onload = () => resolve(reader.result.slice(reader.result.indexOf(',') + 1));
      reader.readAsDataURL(blob);
    });
  });
  return base64 === null ? null : Buffer.from(base64, 'base64');
}

// Everything a test looks at after a run.
async function outcome(page) {
  const fields = await page.evaluate(() => {
    const $ = (id) => document.getElementById(id);
    return {
      state: $('state').dataset.state,
      elapsed: Number($('state').dataset.elapsedMs),
      message: $('message').textContent,
      prepared: $('prepared').textContent,
      source: $('source').textContent,
      sampleCount: $('sample-count').textContent,
      downloadHref: $('download').getAttribute('href'),
      downloadName: $('download').getAttribute('download'),
      clipHref: $('clip-download').getAttribute('href'),
      clipName: $('clip-download').getAttribute('download'),
      clipHidden: $('clip-download').hidden,
    };
  });
  fields.text = await linkBytes(page, '#download');
  fields.wav = await linkBytes(page, '#clip-download');
  return fields;
}

// --- WAV reading for the prepared clip ------------------------------------------

function wavParts(bytes) {
  const parts = {};
  for (let pos = 12; pos + 8 <= bytes.length;) {
    const id = bytes.toString('latin1', pos, pos + 4), size = bytes.readUInt32LE(pos + 4);
    if (id === 'fmt ') {
      parts.tag = bytes.readUInt16LE(pos + 8);
      parts.channels = bytes.readUInt16LE(pos + 10);
      parts.rate = bytes.readUInt32LE(pos + 12);
      parts.bits = bytes.readUInt16LE(pos + 22);
    } else if (id === 'data') {
      parts.samples = bytes.subarray(pos + 8, pos + 8 + size);
    }
    pos += 8 + size + (size & 1);
  }
  return parts;
}

function firstDifference(a, b) {
  const n = Math.min(a.length, b.length);
  for (let i = 0; i < n; i++) if (a[i] !== b[i]) return 'byte ' + i + ': ' + a[i] + ' vs ' + b[i];
  return 'lengths ' + a.length + ' vs ' + b.length;
}

function sameBytes(problems, what, got, want) {
  if (!got) problems.push(what + ': none');
  else if (!want) problems.push(what + ': nothing to compare with');
  else if (!got.equals(want)) problems.push(what + ' differ at ' + firstDifference(got, want));
}

function check(problems, ok, what) {
  if (!ok) problems.push(what);
}

// --- The behaviours -------------------------------------------------------------

async function convertsAsTheTool(page, opts, rows) {
  for (const row of rows) {
    const problems = [];
    const name = path.basename(row.file);
    await setOptions(page, row.signed, 8000);
    await choose(page, row.file);
    const got = await outcome(page);
    const native = runNative(opts, name, fs.readFileSync(row.file), row.signed);
    const outputs = Object.keys(native.written);
    check(problems, native.status === 0 && outputs.length === 1,
        'the native tool did not convert it (status ' + native.status + ', wrote ' + outputs + ')');
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    if (outputs.length === 1) {
      sameBytes(problems, 'texts', got.text, native.written[outputs[0]]);
      check(problems, got.downloadName === outputs[0],
          'download name ' + JSON.stringify(got.downloadName) + ', the tool wrote ' + JSON.stringify(outputs[0]));
      check(problems, got.text && got.source === got.text.toString('utf8'), 'the text shown is not the text');
    }
    check(problems, /^blob:/.test(got.downloadHref || ''), 'download href ' + got.downloadHref);
    check(problems, got.prepared === '' && got.clipHidden && !got.clipHref,
        'shown as prepared: ' + JSON.stringify(got.prepared));
    check(problems, got.message === '', 'message ' + JSON.stringify(got.message));
    record('converts: ' + row.name, problems);
  }
}

async function refusesWithTheToolsMessage(page, opts, rows) {
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, 8000);
    await choose(page, row.file);
    const got = await outcome(page);
    const native = runNative(opts, path.basename(row.file), fs.readFileSync(row.file), false);
    check(problems, native.status === 255 && Object.keys(native.written).length === 0,
        'the native tool did not refuse it (status ' + native.status + ')');
    check(problems, got.state === 'error', 'state ' + got.state);
    check(problems, got.message.includes(row.ja), 'message ' + JSON.stringify(got.message) + ' lacks ' + row.ja);
    check(problems, got.message.includes(ENGLISH[row.status]),
        'message ' + JSON.stringify(got.message) + ' lacks ' + JSON.stringify(ENGLISH[row.status]));
    check(problems, got.source === '' && !got.downloadHref && got.text === null, 'a text is offered');
    check(problems, got.prepared === '' && !got.clipHref, 'a prepared clip is offered');
    record('refuses: ' + row.name, problems);
  }
}

// Runs every prepare row once; the behaviours below check the outcomes.
async function prepareAll(page, rows) {
  const outcomes = [];
  for (const row of rows) {
    await setOptions(page, false, row.rate);
    await choose(page, row.file);
    outcomes.push(await outcome(page));
  }
  return outcomes;
}

function preparesTheSamples(rows, outcomes) {
  rows.forEach((row, i) => {
    const problems = [], got = outcomes[i];
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    check(problems, got.prepared === row.describe,
        'says ' + JSON.stringify(got.prepared) + ', not ' + JSON.stringify(row.describe));
    check(problems, got.clipName === row.prepared_name && !got.clipHidden && /^blob:/.test(got.clipHref || ''),
        'prepared clip offered as ' + JSON.stringify(got.clipName) + ' at ' + got.clipHref);
    const stem = row.prepared_name.replace(/\.wav$/, '');
    check(problems, got.downloadName === stem + '.h', 'download name ' + JSON.stringify(got.downloadName));
    if (got.wav) {
      const wav = wavParts(got.wav);
      check(problems, wav.tag === 1 && wav.channels === 1 && wav.bits === 8 && wav.rate === row.rate,
          'prepared WAV is tag ' + wav.tag + ', ' + wav.channels + ' channels, ' + wav.bits + ' bits, ' +
          wav.rate + ' Hz');
      if (row.expected !== undefined) {
        sameBytes(problems, 'samples', wav.samples, Buffer.from(row.expected, 'hex'));
      } else {
        check(problems, wav.samples && Math.abs(wav.samples.length - row.count) <= row.tolerance,
            (wav.samples ? wav.samples.length : 'no') + ' samples, expected ' + row.count.toFixed(1) +
            ' +- ' + row.tolerance);
      }
      check(problems, got.sampleCount === (wav.samples ? wav.samples.length : -1).toLocaleString('en-US'),
          'sample count shown ' + JSON.stringify(got.sampleCount));
    } else {
      problems.push('no prepared WAV');
    }
    record('prepares: ' + row.name, problems);
  });
}

function preparedClipGivesTheText(opts, rows, outcomes) {
  rows.forEach((row, i) => {
    const problems = [], got = outcomes[i];
    if (!got.wav) {
      record('prepared clip through the tool: ' + row.name, ['no prepared WAV']);
      return;
    }
    const native = runNative(opts, got.clipName, got.wav, false);
    const want = native.written[got.downloadName];
    check(problems, native.status === 0, 'the native tool exited ' + native.status);
    check(problems, want !== undefined,
        'the tool wrote ' + JSON.stringify(Object.keys(native.written)) + ', not ' + got.downloadName);
    if (want) sameBytes(problems, 'texts', got.text, want);
    record('prepared clip through the tool: ' + row.name, problems);
  });
}

// #signed and #rate re-run the chosen clip; old blob URLs are revoked.
async function optionsRerun(page, opts, cases) {
  const raw = cases.converts.find((row) => /\.raw$/.test(row.file) && !row.signed);
  const speech = cases.prepares.find((row) => row.count !== undefined && row.rate === 8000);
  const rows = [
    {name: '#signed re-runs a raw clip signed', file: raw.file, act: async (page) => {
      await page.click('#signed');
    }, want: async (got, problems) => {
      const native = runNative(opts, path.basename(raw.file), fs.readFileSync(raw.file), true);
      sameBytes(problems, 'texts', got.text, Object.values(native.written)[0]);
    }},
    {name: '#rate sets the rate a raw clip is played at', file: raw.file, act: async (page) => {
      await page.select('#rate', '16000');
    }, want: async (got, problems, page) => {
      const duration = await page.$eval('#duration', (d) => d.textContent);
      check(problems, duration.includes('16000 Hz'), 'duration ' + JSON.stringify(duration));
    }},
    {name: '#rate re-prepares a clip at the new rate', file: speech.file, act: async (page) => {
      await page.select('#rate', '16000');
    }, want: async (got, problems) => {
      const wav = got.wav ? wavParts(got.wav) : {};
      const expected = speech.count * 2;
      check(problems, wav.rate === 16000 && Math.abs(wav.samples.length - expected) <= 2,
          'prepared WAV ' + wav.rate + ' Hz, ' + (wav.samples || []).length + ' samples, expected ' + expected);
    }},
    {name: 'Space on the focused #signed re-runs signed', file: raw.file, act: async (page) => {
      await page.focus('#signed');
      await page.keyboard.press('Space');
    }, want: async (got, problems) => {
      const native = runNative(opts, path.basename(raw.file), fs.readFileSync(raw.file), true);
      sameBytes(problems, 'texts', got.text, Object.values(native.written)[0]);
    }},
    {name: 'a dropped file is converted', file: raw.file, act: async (page) => {
      await page.evaluate(() => {
        const data = new DataTransfer();
        data.items.add(new File([new Uint8Array([1, 2, 3, 250])], 'dropped.raw'));
        document.getElementById('source').dispatchEvent(
            new DragEvent('drop', {dataTransfer: data, bubbles: true, cancelable: true}));
      });
    }, want: async (got, problems) => {
      const native = runNative(opts, 'dropped.raw', Buffer.from([1, 2, 3, 250]), false);
      sameBytes(problems, 'texts', got.text, native.written['dropped.h']);
      check(problems, got.downloadName === 'dropped.h', 'download name ' + got.downloadName);
    }},
  ];
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, 8000);
    await choose(page, row.file);
    const oldHref = await page.$eval('#download', (a) => a.getAttribute('href'));
    const before = await runCount(page);
    await row.act(page);
    await waitForRun(page, before);
    const got = await outcome(page);
    check(problems, got.state === 'done', 'state ' + got.state);
    await row.want(got, problems, page);
    probing = true;  // the failed load of a revoked URL logs an error of its own
    const oldAlive = await page.evaluate((href) => fetch(href).then(() => true, () => false), oldHref);
    probing = false;
    check(problems, !oldAlive, 'the previous text\'s blob URL still answers');
    record('options: ' + row.name, problems);
  }
}

// Play toggles to Stop and back; Copy puts the whole text on the clipboard.
async function controls(page, cases) {
  const raw = cases.converts.find((row) => /\.raw$/.test(row.file) && !row.signed);
  await setOptions(page, false, 8000);
  await choose(page, raw.file);
  let problems = [];
  const label = () => page.$eval('#play', (b) => b.textContent);
  await page.click('#play');
  const playing = await label();
  await page.click('#play');
  const stopped = await label();
  check(problems, playing === 'Stop' && stopped === 'Play', 'the button read ' + playing + ', then ' + stopped);
  record('controls: Play starts and stops', problems);

  problems = [];
  await page.click('#copy');
  await page.waitForFunction(() => document.getElementById('action-note').textContent !== '', {timeout: 5000});
  const note = await page.$eval('#action-note', (n) => n.textContent);
  check(problems, note === 'Copied the whole text.', 'the page says ' + JSON.stringify(note));
  const got = await outcome(page);
  const pasted = await page.evaluate(() => navigator.clipboard.readText().catch((e) => 'unreadable: ' + e));
  check(problems, got.text && pasted === got.text.toString('utf8'),
      'the clipboard holds ' + JSON.stringify(pasted.slice(0, 60)));
  record('controls: Copy puts the whole text on the clipboard', problems);
}

async function speed(page, opts, file) {
  const problems = [];
  const figures = [];
  await setOptions(page, false, 8000);
  let got;
  for (let i = 0; i < SPEED_RUNS; i++) {
    await choose(page, file);
    got = await outcome(page);
    figures.push(got.elapsed);
  }
  figures.sort((a, b) => a - b);
  const median = figures[Math.floor(figures.length / 2)];
  console.log('speed: 1 MiB raw clip, choose to download ready: median ' + median.toFixed(1) + ' ms of ' +
      SPEED_RUNS + ' runs (' + figures.map((f) => f.toFixed(1)).join(', ') + ')');
  check(problems, got.state === 'done', 'state ' + got.state);
  check(problems, median <= SPEED_LIMIT_MS, 'median ' + median.toFixed(1) + ' ms > ' + SPEED_LIMIT_MS + ' ms');
  const native = runNative(opts, path.basename(file), fs.readFileSync(file), false);
  sameBytes(problems, 'whole texts', got.text, Object.values(native.written)[0]);
  check(problems, got.text && got.source.length < got.text.length &&
      got.text.toString('utf8').startsWith(got.source) && got.source.endsWith('\n'),
  'the view is not the text\'s beginning, cut at a line end');
  record('speed: 1 MiB raw clip within ' + SPEED_LIMIT_MS + ' ms, whole text in the download', problems);
}

// --- Main ---------------------------------------------------------------------

async function main() {
  const opts = options();
  const cases = JSON.parse(fs.readFileSync(opts.cases, 'utf8'));
  fs.rmSync(opts.scratch, {recursive: true, force: true});
  fs.mkdirSync(opts.scratch, {recursive: true});
  const siteUrl = pathToFileURL(opts.site).href + '/';

  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(opts.scratch, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  const outside = [], errors = [];
  try {
    await browser.defaultBrowserContext().overridePermissions(siteUrl, ['clipboard-read', 'clipboard-write',
      'clipboard-sanitized-write']);
    const page = await browser.newPage();
    await page.setViewport({width: 1000, height: 800});
    page.on('request', (request) => {
      const url = request.url();
      if (!(url === siteUrl + 'index.html' || url.startsWith('data:') || url.startsWith('blob:'))) outside.push(url);
    });
    page.on('pageerror', (error) => errors.push('page error: ' + error.message));
    page.on('console', (message) => {
      if (message.type() === 'error' && !probing) errors.push('console error: ' + message.text());
    });
    await page.goto(siteUrl + 'index.html');
    const idle = await page.$eval('#state', (s) => s.dataset.state);
    const rate = await page.$eval('#rate', (s) => s.value);
    record('loads idle at 8000 Hz', [idle === 'idle' ? '' : 'state ' + idle,
      rate === '8000' ? '' : 'rate ' + rate].filter(Boolean));

    await convertsAsTheTool(page, opts, cases.converts);
    await refusesWithTheToolsMessage(page, opts, cases.refusals);
    const outcomes = await prepareAll(page, cases.prepares);
    preparesTheSamples(cases.prepares, outcomes);
    preparedClipGivesTheText(opts, cases.prepares, outcomes);
    for (const row of cases.skipped) skip('prepares: ' + row.name, row.reason);
    await optionsRerun(page, opts, cases);
    await controls(page, cases);
    await speed(page, opts, cases.speed.file);

    // The screenshot: a prepared speech clip, its waveform and the text.
    const shot = cases.prepares.find((row) => row.count !== undefined && row.rate === 8000);
    await setOptions(page, false, 8000);
    await choose(page, shot.file);
    await page.screenshot({path: opts.screenshot, fullPage: true});
    console.log('screenshot: ' + opts.screenshot);

    record('no request outside the site', outside.map((url) => 'requested ' + url));
    record('no page error', errors);
  } finally {
    await browser.close();
  }
  console.log('page: ' + fs.statSync(path.join(opts.site, 'index.html')).size + ' bytes (index.html, one file)');
  console.log('web: ' + tally.passed + ' passed, ' + tally.failed + ' failed, ' + tally.skipped + ' skipped');
  return tally.failed === 0 ? 0 : 1;
}

main().then((code) => process.exit(code), (error) => {
  console.error(error);
  process.exit(1);
});
