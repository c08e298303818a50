// SPDX-License-Identifier: MIT
// Drives the built page in headless Chromium (or Firefox) through the tables that
// make_fixtures.py wrote, and compares what the page gives with what the
// native tool writes for a file of the same name, with clip2c-board
// for the clips the engine prepares, and with clip2c-board --bank for
// banks.
//
//   node run_web_test.js --site <folder> --cases <cases.json> --exe <clip2c> --board <clip2c-board>
//                        --scratch <folder> --screenshot <png> [--sketch <check script>]
//                        [--browser chromium | firefox]
//
// Prints one line per case, the speed figure and the module's size; exits 1
// when any case fails.
'use strict';

const {spawnSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const {pathToFileURL} = require('url');
const {launchChromium} = require('./chromium.js');
const {launchFirefox} = require('./firefox.js');

// Generous limits: the figures to aim for are the benchmark's
// (bench/page-bench.sh prints the speed and the longest main-thread task,
// whose goal is 100 ms). These catch only a real regression, such as work
// moved back onto the main thread, not a loaded machine.
const SPEED_LIMIT_MS = 250;
const LONG_TASK_LIMIT_MS = 400;
const SPEED_RUNS = 7;
// The page's words, as the core's one table gives them (read at load).
let TEXTS = null;
const UNREADABLE = 5;

function options() {
  const out = {};
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) out[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const key of ['site', 'cases', 'exe', 'board', 'scratch', 'screenshot']) {
    if (!out[key]) throw new Error('missing --' + key);
    out[key] = path.resolve(out[key]);
  }
  // The Arduino sketch's check, run on the page's progmem header.
  if (out.sketch) out.sketch = path.resolve(out.sketch);
  out.browser = out.browser || 'chromium';
  if (out.browser !== 'chromium' && out.browser !== 'firefox') throw new Error('--browser ' + out.browser);
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

// Runs clip2c-board on `bytes` saved as `name` in a fresh folder, as
// `clip2c-board <args> -o out.h <name>`; returns its exit status, its
// standard error and the text it wrote (null when none).
function runBoard(opts, name, bytes, args) {
  const folder = path.join(opts.scratch, 'board-' + ++scratchCount);
  fs.mkdirSync(folder, {recursive: true});
  fs.writeFileSync(path.join(folder, name), bytes);
  const run = spawnSync(opts.board, args.concat(['-o', 'out.h', name]), {cwd: folder, encoding: 'buffer'});
  const out = path.join(folder, 'out.h');
  return {status: run.status, stderr: String(run.stderr || run.error || ''),
    text: fs.existsSync(out) ? fs.readFileSync(out) : null};
}

// --- The page -----------------------------------------------------------------

async function setOptions(page, signed, rate, more = {}) {
  // Set without events: a change event would re-run the previous clip.
  await page.evaluate((s, r, m) => {
    document.getElementById('signed').checked = s;
    document.getElementById('rate').value = String(r);
    document.getElementById('target').value = m.target || 'c';
    document.getElementById('encoding').value = m.encoding || 'pcm8';
    document.getElementById('normalize').checked = !!m.normalize;
    document.getElementById('trim').checked = !!m.trim;
  }, signed, rate, more);
}

// Types `name` into #name and takes it with Enter.
async function rename(page, name) {
  const before = await runCount(page);
  await page.$eval('#name', (input) => { input.value = ''; });
  await page.type('#name', name);
  await page.keyboard.press('Enter');
  await waitForRun(page, before);
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

// Everything a test looks at after a run; without the downloads' bytes
// when `blobs` is false (a long clip's text is hundreds of megabytes).
async function outcome(page, blobs = true) {
  const fields = await page.evaluate(() => {
    const $ = (id) => document.getElementById(id);
    return {
      state: $('state').dataset.state,
      elapsed: Number($('state').dataset.elapsedMs),
      message: $('message').textContent,
      prepared: $('prepared').textContent,
      source: $('source').textContent,
      sampleCount: $('sample-count').textContent,
      flash: $('flash').textContent,
      downloadHref: $('download').getAttribute('href'),
      downloadName: $('download').getAttribute('download'),
      clipHref: $('clip-download').getAttribute('href'),
      clipName: $('clip-download').getAttribute('download'),
      clipHidden: $('clip-download').hidden,
      name: $('name').value,
      notice: $('notice').textContent,
      fit: $('fit').textContent,
      fits: $('fit').dataset.fits,
      status: $('state').textContent,
    };
  });
  fields.text = blobs ? await linkBytes(page, '#download') : null;
  fields.wav = blobs ? await linkBytes(page, '#clip-download') : null;
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
      parts.blockAlign = bytes.readUInt16LE(pos + 20);
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
    // The page converts under the name it proposes: its text is the tool's
    // for the same bytes in a file of that name.
    await setOptions(page, row.signed, 8000);
    await choose(page, row.file);
    const got = await outcome(page);
    check(problems, got.name === row.page_name, 'named ' + JSON.stringify(got.name) + ', not ' + row.page_name);
    const native = runNative(opts, row.page_name + row.ext, fs.readFileSync(row.file), row.signed);
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
    // The tool's own name for the file, typed in, gives the tool's text
    // for the file as it is named.
    const file = path.basename(row.file), own = file.slice(0, file.lastIndexOf(row.ext));
    if (own !== row.page_name) {
      await rename(page, own);
      const typed = await outcome(page);
      const native = runNative(opts, file, fs.readFileSync(row.file), row.signed);
      const ownName = Object.keys(native.written)[0];
      sameBytes(problems, 'texts under the typed name', typed.text, native.written[ownName]);
      check(problems, typed.downloadName === ownName, 'typed name downloads as ' + typed.downloadName);
    }
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
    if (row.status === UNREADABLE) {
      // The tool says nothing of an empty file; the page says it plainly.
      check(problems, got.message === '', 'message ' + JSON.stringify(got.message));
      check(problems, got.notice === TEXTS.notices.empty, 'notice ' + JSON.stringify(got.notice));
    } else {
      check(problems, got.message.includes(row.ja), 'message ' + JSON.stringify(got.message) + ' lacks ' + row.ja);
      // The English words are the command line's for the same file.
      const board = runBoard(opts, path.basename(row.file), fs.readFileSync(row.file), []);
      const said = board.stderr.replace(/^clip2c-board: [^:]*: /, '').replace(/\n$/, '');
      check(problems, board.status === 1 && got.message.includes(said),
          'message ' + JSON.stringify(got.message) + ' lacks clip2c-board\'s ' + JSON.stringify(said));
    }
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
      await page.keyboard.press(' ');
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
async function controls(page, opts, cases) {
  const raw = cases.converts.find((row) => /\.raw$/.test(row.file) && !row.signed);
  await setOptions(page, false, 8000);
  await choose(page, raw.file);
  let problems = [];
  const label = () => page.$eval('#play', (b) => b.textContent);
  await page.click('#play');
  const playing = await label();
  // The sound itself starts once the worker has handed over the samples.
  await page.waitForFunction(() => document.getElementById('play').dataset.playing === 'yes', {timeout: 5000})
      .catch(() => problems.push('the sound never started'));
  await page.click('#play');
  const stopped = await label();
  check(problems, playing === 'Stop' && stopped === 'Play', 'the button read ' + playing + ', then ' + stopped);
  record('controls: Play starts and stops', problems);

  // A driver grants the clipboard to a page only in Chromium.
  if (opts.browser !== 'chromium') {
    skip('controls: Copy puts the whole text on the clipboard', opts.browser + ' lets no driver grant the clipboard');
    return;
  }
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


// #name starts as the tool's name for the file, or a proposed identifier
// with a note saying why; leaving the field takes a typed name too.
async function names(page, opts, rows) {
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, 8000);
    await choose(page, row.file);
    const got = await outcome(page);
    check(problems, got.state === 'done', 'state ' + got.state);
    check(problems, got.name === row.page_name, '#name ' + JSON.stringify(got.name) + ', not ' + row.page_name);
    check(problems, got.downloadName === row.page_name + '.h', 'downloads as ' + got.downloadName);
    check(problems, row.proposed === /C identifier/.test(got.notice), 'notice ' + JSON.stringify(got.notice));
    record('names: ' + row.name, problems);
  }
  const problems = [], raw = rows.find((row) => row.file.endsWith('.raw'));
  await choose(page, raw.file);
  const before = await runCount(page);
  await page.$eval('#name', (input) => { input.value = ''; });
  await page.type('#name', 'other');
  await page.focus('#target');
  await waitForRun(page, before);
  const got = await outcome(page);
  const native = runNative(opts, 'other.raw', fs.readFileSync(raw.file), false);
  sameBytes(problems, 'texts', got.text, native.written['other.h']);
  check(problems, got.downloadName === 'other.h', 'downloads as ' + got.downloadName);
  record('names: leaving #name converts under the typed name', problems);
}

// The storage words as every target but c places them: right after the
// text's leading "const".
const WORDS = {firmware: '', progmem: ' PROGMEM', flash: ' __flash'};

function compile(problems, what, command, args) {
  const run = spawnSync(command, args, {encoding: 'utf8'});
  check(problems, run.status === 0, what + ' fails: ' + (run.stderr || run.error || '').toString().slice(0, 400));
  return run;
}

// Each target's text: the tool's text with the words, a comment and the
// rate; compiled as each board's toolchain compiles it.
async function targets(page, opts, cases) {
  const clip = cases.notices.find((row) => row.file.endsWith('kept.wav'));
  for (const target of ['firmware', 'progmem', 'flash']) {
    const problems = [];
    await setOptions(page, false, 8000, {target});
    await choose(page, clip.file);
    const got = await outcome(page);
    const native = runNative(opts, 'kept.wav', fs.readFileSync(clip.file), false);
    const tool = native.written['kept.h'].toString('latin1');
    const text = got.text ? got.text.toString('latin1') : '';
    check(problems, text.endsWith(tool.replace(/^const/, 'const' + WORDS[target])),
        'the text does not end with the tool\'s text with its words');
    check(problems, /^\/\* kept_wave: 300 samples, 0\.027 s at 11025 Hz, unsigned 8-bit/.test(text),
        'the comment: ' + JSON.stringify(text.split('\n')[0]));
    check(problems, text.includes('\n#define kept_wave_rate 11025\n'), 'no kept_wave_rate 11025');
    const folder = path.join(opts.scratch, 'target-' + target);
    fs.mkdirSync(folder, {recursive: true});
    const header = path.join(folder, 'kept.h');
    fs.writeFileSync(header, got.text || '');
    const main = (lang) => path.join(folder, 'main.' + lang);
    if (target === 'firmware') {
      const program = '#include <stdio.h>\n#include "kept.h"\nint main(void) { printf("%d %u %d\\n", ' +
          'kept_wave_rate, (unsigned)sizeof kept_wave, kept_wave[299]); return 0; }\n';
      fs.writeFileSync(main('c'), program);
      fs.writeFileSync(main('cpp'), program);
      const exe = path.join(folder, 'host');
      compile(problems, 'gcc -std=c11', 'gcc', ['-std=c11', '-pedantic-errors', '-Wall', '-Wextra', '-Werror',
        main('c'), '-o', exe]);
      const ran = spawnSync(exe, [], {encoding: 'utf8'});
      check(problems, ran.stdout === '11025 300 ' + fs.readFileSync(clip.file).at(-1) + '\n',
          'the host program printed ' + JSON.stringify(ran.stdout));
      compile(problems, 'g++ -std=c++17', 'g++', ['-std=c++17', '-pedantic-errors', '-Wall', '-Wextra', '-Werror',
        '-c', main('cpp'), '-o', exe + '.o']);
      compile(problems, 'arm-none-eabi-gcc', 'arm-none-eabi-gcc', ['-std=c11', '-pedantic-errors', '-mcpu=cortex-m4',
        '-mthumb', '-Wall', '-Werror', '-c', header, '-x', 'c', '-o', exe + '-arm.o']);
    } else if (target === 'progmem') {
      const program = '#include "kept.h"\nint main(void) { return pgm_read_byte(&kept_wave[1]) + kept_wave_rate; }\n';
      fs.writeFileSync(main('c'), program);
      fs.writeFileSync(main('cpp'), program);
      compile(problems, 'avr-gcc -std=c11', 'avr-gcc', ['-mmcu=atmega328p', '-Os', '-std=c11', '-pedantic-errors',
        '-Wall', '-Werror', main('c'), '-o', path.join(folder, 'c.elf')]);
      compile(problems, 'avr-g++ -std=c++17', 'avr-g++', ['-mmcu=atmega328p', '-Os', '-std=c++17',
        '-pedantic-errors', '-Wall', '-Werror', main('cpp'), '-o', path.join(folder, 'cpp.elf')]);
      const size = compile(problems, 'avr-size', 'avr-size', ['-C', '--mcu=atmega328p', path.join(folder, 'c.elf')]);
      check(problems, /Data:\s+0 bytes/.test(size.stdout || ''), 'the array takes RAM: ' + size.stdout);
      if (opts.sketch) {
        const sketch = spawnSync('python3', [opts.sketch, '--header', header, '--rate', '11025',
          '--scratch', path.join(folder, 'sketch')], {encoding: 'utf8'});
        check(problems, sketch.status === 0, 'the Arduino sketch with this header: ' +
            (sketch.stdout + sketch.stderr).slice(-600));
      }
    } else {
      const program = '#include "kept.h"\nint main(void) { return kept_wave[1] + kept_wave_rate; }\n';
      fs.writeFileSync(main('c'), program);
      compile(problems, 'avr-gcc -std=gnu11', 'avr-gcc', ['-mmcu=atmega328p', '-Os', '-std=gnu11', '-pedantic-errors',
        '-Wall', '-Werror', main('c'), '-o', path.join(folder, 'flash.elf')]);
      const size = compile(problems, 'avr-size', 'avr-size', ['-C', '--mcu=atmega328p', path.join(folder, 'flash.elf')]);
      check(problems, /Data:\s+0 bytes/.test(size.stdout || ''), 'the array takes RAM: ' + size.stdout);
    }
    record('targets: ' + target + ' compiles' + (target === 'progmem' && opts.sketch ? ' and plays in the sketch' : ''),
        problems);
  }

  // Signed samples on ARM, where a plain char is unsigned: declared
  // signed char, so C++ takes the negative values and C reads them back.
  const problems = [];
  await setOptions(page, true, 8000, {target: 'firmware'});
  await choose(page, clip.file);
  const got = await outcome(page);
  const folder = path.join(opts.scratch, 'target-signed');
  fs.mkdirSync(folder, {recursive: true});
  fs.writeFileSync(path.join(folder, 'kept.h'), got.text || '');
  const main = path.join(folder, 'main.cpp');
  fs.writeFileSync(main, '#include "kept.h"\nstatic_assert(sizeof kept_wave == 300, "length");\n' +
      'int first() { return kept_wave[0]; }\n');
  check(problems, /const signed char kept_wave\[300\]/.test(got.text || ''), 'not declared signed char');
  compile(problems, 'arm-none-eabi-g++ -std=c++17', 'arm-none-eabi-g++', ['-std=c++17', '-pedantic-errors',
    '-mcpu=cortex-m4', '-mthumb', '-Wall', '-Werror', '-c', main, '-o', path.join(folder, 'main.o')]);
  record('targets: signed firmware compiles on ARM', problems);
}

// #fit for progmem at both sides of what an Uno holds; the other targets
// only show the size.
async function fit(page, opts) {
  const limit = await page.evaluate(() => window.clip2cTexts.limits.unoClip);
  const rows = [
    {name: 'an Uno holds ' + limit + ' bytes', size: limit, target: 'progmem', fits: 'yes'},
    {name: 'an Uno does not hold ' + (limit + 1) + ' bytes', size: limit + 1, target: 'progmem', fits: 'no'},
    {name: '__flash: the same limit', size: limit + 1, target: 'flash', fits: 'no'},
    {name: 'firmware: the size beside flash sizes', size: limit + 1, target: 'firmware', fits: 'yes'},
  ];
  for (const row of rows) {
    const problems = [];
    const file = path.join(opts.scratch, 'fit-' + row.size + '.raw');
    fs.writeFileSync(file, Buffer.alloc(row.size, 128));
    await setOptions(page, false, 8000, {target: row.target});
    await choose(page, file);
    const got = await outcome(page);
    check(problems, got.fits === row.fits, 'data-fits ' + got.fits + ': ' + got.fit);
    const seconds = (limit / 8000).toFixed(3);
    check(problems, row.target === 'firmware' ? /MB/.test(got.fit) : got.fit.includes(seconds + ' s'),
        'the fit says ' + JSON.stringify(got.fit));
    check(problems, got.status.includes(got.fit), 'the status line does not carry the fit');
    record('fit: ' + row.name, problems);
  }
}

// Normalize and trim: deterministic, and the prepared clip through the
// tool gives the page's text.
async function shaping(page, opts, rows) {
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, 8000, {normalize: row.normalize, trim: row.trim});
    await choose(page, row.file);
    const got = await outcome(page);
    await choose(page, row.file);
    const again = await outcome(page);
    check(problems, got.state === 'done', 'state ' + got.state + ' ' + got.message);
    sameBytes(problems, 'two runs', again.wav, got.wav);
    const wav = got.wav ? wavParts(got.wav) : {samples: Buffer.alloc(0)};
    const samples = [...wav.samples];
    if (row.normalize) {
      check(problems, samples.includes(0) || samples.includes(255), 'the peak is not at full scale');
    }
    const silent = (v) => v >= 126 && v <= 130;
    if (row.trim) {
      check(problems, samples.length < row.frames && !silent(samples[0]) && !silent(samples.at(-1)),
          samples.length + ' samples, from ' + samples[0] + ' to ' + samples.at(-1));
    } else {
      check(problems, samples.length === row.frames, samples.length + ' samples, not ' + row.frames);
    }
    if (row.says) check(problems, got.notice.includes(row.says), 'notice ' + JSON.stringify(got.notice));
    if (got.wav) {
      const native = runNative(opts, got.clipName, got.wav, false);
      sameBytes(problems, 'the prepared clip through the tool', got.text, native.written[got.downloadName]);
    }
    record('normalize and trim: ' + row.name, problems);
  }
}

// Each note in plain words, and none where there is nothing to say.
async function notices(page, rows) {
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, row.rate);
    await choose(page, row.file);
    const got = await outcome(page);
    if (row.says) check(problems, got.notice.includes(row.says), 'notice ' + JSON.stringify(got.notice));
    else check(problems, got.notice === '', 'notice ' + JSON.stringify(got.notice));
    if (/not a WAV/.test(row.says)) {
      check(problems, got.message.includes('not a WAV file'), 'message ' + JSON.stringify(got.message));
    }
    if (/keeps its own rate/.test(row.says)) {
      const before = await runCount(page);
      await page.click('#prepare-at-rate');
      await waitForRun(page, before);
      const prepared = await outcome(page);
      const wav = prepared.wav ? wavParts(prepared.wav) : {};
      check(problems, wav.rate === 8000, 'the offer prepared ' + JSON.stringify(prepared.prepared));
    }
    record('notices: ' + row.name, problems);
  }
}

// At 375 px nothing lies beyond the right edge and nothing scrolls
// sideways, with a proposed name and with a long prepared name on the
// download buttons; the text may scroll inside its own box. The last row's
// page is saved beside the screenshot, as <screenshot>-375.png.
async function narrow(page, opts, rows) {
  await page.setViewport({width: 375, height: 800});
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, 8000, {target: 'progmem', encoding: row.encoding});
    await choose(page, row.file);
    const wide = await page.evaluate(() => {
      const out = [];
      for (const e of document.querySelectorAll('body *')) {
        if (e.closest('pre') && e.tagName !== 'PRE') continue;
        const r = e.getBoundingClientRect();
        if (r.width && r.right > document.documentElement.clientWidth + 0.5) {
          out.push(e.tagName + '#' + e.id + ' ' + r.right);
        }
      }
      return {out, scroll: document.documentElement.scrollWidth, width: document.documentElement.clientWidth,
        downloads: [...document.querySelectorAll('.actions a:not([hidden])')].map((a) => a.textContent),
        name: document.getElementById('name').value};
    });
    check(problems, wide.scroll <= wide.width, 'the page scrolls sideways: ' + wide.scroll + ' > ' + wide.width);
    check(problems, wide.out.length === 0, 'beyond the edge: ' + wide.out.slice(0, 5).join(', '));
    const want = ['Download ' + wide.name + '.h'].concat(row.prepared ? ['Download ' + wide.name + '.wav'] : []);
    check(problems, want.join() === wide.downloads.join(), 'downloads ' + wide.downloads.join(', '));
    record('375 px: nothing beyond the right edge, ' + row.name + ' (' + wide.downloads.join(', ') + ')', problems);
  }
  const height = await page.evaluate(() => document.documentElement.scrollHeight);
  await page.setViewport({width: 375, height});
  await new Promise((resolve) => setTimeout(resolve, 300));
  await page.screenshot({path: opts.screenshot.replace(/\.png$/, '') + '-375.png'});
  await page.setViewport({width: 1000, height: 800});
}

// The page and clip2c-board make the same clip of the same file with the
// same options: the engine's bytes, in the browser as natively, at every
// rate (the page resamples nothing of a PCM WAV itself).
async function likeTheBoard(page, opts, rows) {
  const probe = spawnSync(opts.board, ['--version'], {encoding: 'utf8'});
  for (const row of rows) {
    const name = 'like clip2c-board: ' + row.name;
    if (probe.status !== 0) {
      skip(name, opts.board + ' --version exits ' + probe.status + ' (not the command yet)');
      continue;
    }
    const problems = [];
    await setOptions(page, row.signed, row.rate, row);
    await choose(page, row.file);
    if (row.chosen) await rename(page, row.chosen);
    if (row.offer) {
      const before = await runCount(page);
      await page.click('#prepare-at-rate');
      await waitForRun(page, before);
    }
    const got = await outcome(page);
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    const args = ['--target', row.target, '--rate', String(row.rate)];
    if (row.chosen) args.push('--name', row.chosen);
    if (row.normalize) args.push('--normalize');
    if (row.trim) args.push('--trim');
    if (row.signed) args.push('--signed');
    const native = runBoard(opts, path.basename(row.file), fs.readFileSync(row.file), args);
    check(problems, native.status === 0, 'clip2c-board ' + args.join(' ') + ' exited ' + native.status + ': ' +
        native.stderr.slice(0, 300));
    sameBytes(problems, 'texts', got.text, native.text);
    check(problems, /^blob:/.test(got.clipHref || ''), 'no prepared clip offered');
    record(name, problems);
  }
}

// --- IMA ADPCM --------------------------------------------------------------------

// The array `name` of a header as the bytes its values say.
function arrayBytes(text, name) {
  const at = text.indexOf(' ' + name + '[');
  if (at < 0) return null;
  const from = text.indexOf('{', at), to = text.indexOf('};', from);
  return Buffer.from((text.slice(from + 1, to).match(/0x[0-9a-fA-F]+|\d+/g) || []).map(Number));
}

// The samples a header's own decoder gives for its clip, compiled by the
// host's cc: clip2c_adpcm_next `<array>_samples` times, as 16-bit
// little-endian; null when it does not build or run.
function headerDecoder(problems, folder, text, array) {
  const header = path.join(folder, 'clip.h'), main = path.join(folder, 'decode.c'), exe = path.join(folder, 'decode');
  fs.writeFileSync(header, text);
  fs.writeFileSync(main, '#include <stdio.h>\n#include "clip.h"\nint main(void) {\n' +
      '\tstruct clip2c_adpcm d;\n\tclip2c_adpcm_start(&d, ' + array + ', ' + array + '_samples);\n' +
      '\tfor (unsigned long i = 0; i < ' + array + '_samples; i++) {\n\t\tint16_t s = clip2c_adpcm_next(&d);\n' +
      '\t\tunsigned char le[2] = {(unsigned char)(s & 0xff), (unsigned char)((s >> 8) & 0xff)};\n' +
      '\t\tfwrite(le, 1, 2, stdout);\n\t}\n\treturn 0;\n}\n');
  const built = compile(problems, 'cc -std=c99 with the header', 'cc', ['-std=c99', '-pedantic-errors', '-Wall',
    '-Wextra', '-Werror', main, '-o', exe]);
  if (built.status !== 0) return null;
  const ran = spawnSync(exe, [], {maxBuffer: 1 << 26});
  check(problems, ran.status === 0, 'the decoder exited ' + ran.status);
  return ran.status === 0 ? ran.stdout : null;
}

// #encoding ima-adpcm: the text is clip2c-board --encoding ima-adpcm's for a
// PCM WAV file; for every clip, the figures are the header's, and the
// .wav download is an IMA ADPCM WAV file whose data is the header's array,
// which sox decodes to the very samples of the header's decoder and
// ffmpeg plays whole.
async function adpcm(page, opts, rows) {
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, row.rate || 8000, {target: row.target, encoding: 'ima-adpcm',
      normalize: row.normalize, trim: row.trim});
    await choose(page, row.file);
    if (row.chosen) await rename(page, row.chosen);
    const got = await outcome(page);
    const shown = await page.evaluate(() => ({flash: document.getElementById('flash').textContent,
      suffix: document.getElementById('array-suffix').textContent}));
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    const text = got.text ? got.text.toString('latin1') : '';
    if (row.board) {
      const args = ['--encoding', 'ima-adpcm', '--target', row.target];
      if (row.rate) args.push('--rate', String(row.rate));
      if (row.chosen) args.push('--name', row.chosen);
      if (row.normalize) args.push('--normalize');
      if (row.trim) args.push('--trim');
      const native = runBoard(opts, path.basename(row.file), fs.readFileSync(row.file), args);
      check(problems, native.status === 0, 'clip2c-board ' + args.join(' ') + ' exited ' + native.status + ': ' +
          native.stderr.slice(0, 300));
      sameBytes(problems, 'texts', got.text, native.text);
      check(problems, got.fit !== '' && native.stderr.includes(got.fit),
          'the fit ' + JSON.stringify(got.fit) + ' is not clip2c-board\'s: ' + native.stderr);
    }
    const defined = /\n#define (\w+)_adpcm_samples (\d+)\n/.exec(text);
    const rate = /\n#define \w+_adpcm_rate (\d+)\n/.exec(text);
    if (!defined || !rate) {
      record('IMA ADPCM: ' + row.name, problems.concat('no _samples or _rate define in the text'));
      continue;
    }
    const stem = defined[1], array = stem + '_adpcm', samples = Number(defined[2]);
    const bytes = arrayBytes(text, array);
    check(problems, got.name === stem && shown.suffix === '_adpcm', 'the hint names ' + got.name + shown.suffix);
    check(problems, got.downloadName === stem + '.h' && got.clipName === stem + '.wav' && !got.clipHidden,
        'downloads ' + got.downloadName + ' and ' + got.clipName);
    check(problems, got.sampleCount === samples.toLocaleString('en-US'), 'samples shown ' + got.sampleCount +
        ', the text says ' + samples);
    check(problems, bytes && shown.flash === bytes.length.toLocaleString('en-US') + ' bytes', 'flash shown ' +
        shown.flash + ', the array holds ' + (bytes ? bytes.length : 'no') + ' bytes');
    check(problems, / \u2192 IMA ADPCM mono \d+ Hz/.test(got.prepared), 'prepared: ' + JSON.stringify(got.prepared));
    check(problems, got.status.includes(got.fit), 'the status line does not carry the fit');
    const wav = got.wav ? wavParts(got.wav) : {};
    check(problems, wav.tag === 0x11 && wav.channels === 1 && wav.bits === 4 && wav.blockAlign === 256 &&
        wav.rate === Number(rate[1]), 'the .wav is tag ' + wav.tag + ', ' + wav.channels + ' channels, ' + wav.bits +
        ' bits, blocks of ' + wav.blockAlign + ', ' + wav.rate + ' Hz');
    sameBytes(problems, 'the .wav\'s data and the array', wav.samples, bytes);
    const folder = path.join(opts.scratch, 'adpcm-' + ++scratchCount);
    fs.mkdirSync(folder, {recursive: true});
    const file = path.join(folder, got.clipName || 'clip.wav');
    fs.writeFileSync(file, got.wav || '');
    const sox = spawnSync('sox', [file, '-t', 'raw', '-e', 'signed', '-b', '16', '-'], {maxBuffer: 1 << 26});
    check(problems, sox.status === 0, 'sox exited ' + sox.status + ': ' + String(sox.stderr).slice(0, 300));
    const ffmpeg = spawnSync('ffmpeg', ['-v', 'error', '-i', file, '-f', 's16le', '-'], {maxBuffer: 1 << 26});
    check(problems, ffmpeg.status === 0 && ffmpeg.stdout.length === 2 * samples, 'ffmpeg exited ' + ffmpeg.status +
        ' with ' + ffmpeg.stdout.length / 2 + ' samples of ' + samples + ': ' + String(ffmpeg.stderr).slice(0, 300));
    // The decoder is compiled for the host: the AVR targets' read program memory.
    if (row.target === 'c' || row.target === 'firmware') {
      const decoded = headerDecoder(problems, folder, got.text || '', array);
      check(problems, decoded && decoded.length === 2 * samples, 'the header\'s decoder gave ' +
          (decoded ? decoded.length / 2 : 'no') + ' samples of ' + samples);
      sameBytes(problems, 'sox\'s samples and the header decoder\'s', sox.stdout, decoded);
    } else {
      check(problems, sox.stdout.length === 2 * samples, 'sox decoded ' + sox.stdout.length / 2 + ' samples of ' +
          samples);
    }
    if (row.sketch && opts.sketch) {
      const header = path.join(folder, got.downloadName);
      fs.writeFileSync(header, got.text || '');
      const sketch = spawnSync('python3', [opts.sketch, '--header', header, '--rate', rate[1],
        '--scratch', path.join(folder, 'sketch')], {encoding: 'utf8'});
      check(problems, sketch.status === 0, 'the Arduino sketch with this header: ' +
          (sketch.stdout + sketch.stderr).slice(-600));
    }
    record('IMA ADPCM: ' + row.name + (row.sketch && opts.sketch ? ' (played in simavr)' : ''), problems);
  }

  // The control re-runs the clip: back to 8-bit PCM, then Play sounds the
  // decoded samples of IMA ADPCM.
  const problems = [], row = rows[0];
  await setOptions(page, false, row.rate, {target: row.target, encoding: 'ima-adpcm'});
  await choose(page, row.file);
  let before = await runCount(page);
  await page.select('#encoding', 'pcm8');
  await waitForRun(page, before);
  const got = await outcome(page);
  const native = runBoard(opts, path.basename(row.file), fs.readFileSync(row.file),
      ['--target', row.target, '--rate', String(row.rate)]);
  sameBytes(problems, 'texts after #encoding pcm8', got.text, native.text);
  const suffix = await page.$eval('#array-suffix', (s) => s.textContent);
  check(problems, suffix === '_wave', 'the hint says ' + suffix);
  before = await runCount(page);
  await page.select('#encoding', 'ima-adpcm');
  await waitForRun(page, before);
  await page.click('#play');
  await page.waitForFunction(() => document.getElementById('play').dataset.playing === 'yes', {timeout: 5000})
      .catch(() => problems.push('the IMA ADPCM clip never started playing'));
  await page.click('#play');
  record('IMA ADPCM: #encoding re-runs the clip; Play plays it', problems);
}

// axe-core's violations on the page as it is, one line each.
async function axeViolations(page) {
  const axe = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
  return page.evaluate(async (source) => {
    if (!window.axe) (0, eval)(source);
    const result = await window.axe.run(document);
    return result.violations.map((v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', '));
  }, axe);
}

// --- Banks ----------------------------------------------------------------------

// Chooses several files at once in #clip: a bank.
async function chooseMany(page, files) {
  const before = await runCount(page);
  await page.$eval('#clip', (input) => { input.value = ''; });
  await (await page.$('#clip')).uploadFile(...files);
  await waitForRun(page, before);
}

// Adds `files` to what is shown through #add and its file chooser.
async function addThroughButton(page, files) {
  const before = await runCount(page);
  const [chooser] = await Promise.all([page.waitForFileChooser({timeout: 5000}), page.click('#add')]);
  await chooser.accept(files);
  await waitForRun(page, before);
}

// Types `name` into the bank row `index`'s name and takes it with Enter.
async function renameRow(page, index, name) {
  const before = await runCount(page);
  const inputs = await page.$$('#bank-list input');
  await inputs[index].evaluate((input) => { input.value = ''; });
  await inputs[index].type(name);
  await page.keyboard.press('Enter');
  await waitForRun(page, before);
}

async function removeRow(page, index) {
  const before = await runCount(page);
  await (await page.$$('#bank-list .remove'))[index].click();
  await waitForRun(page, before);
}

// What a bank test looks at beside outcome(): the rows and which controls show.
async function bankOutcome(page) {
  const got = await outcome(page);
  Object.assign(got, await page.evaluate(() => ({
    rows: [...document.querySelectorAll('#bank-list li')].map((li) => ({
      name: li.querySelector('input').value, figures: li.querySelector('.figures-line').textContent,
      refused: li.dataset.refused === 'yes', decoded: li.querySelector('a.decoded')?.getAttribute('download')})),
    bankShown: getComputedStyle(document.getElementById('bank-box')).display !== 'none',
    ownRatesShown: document.getElementById('own-rates').getClientRects().length > 0,
    ownRates: document.getElementById('own-rates').checked,
    oneNameShown: getComputedStyle(document.getElementById('one-name')).display !== 'none',
    addShown: getComputedStyle(document.getElementById('add')).display !== 'none',
    playShown: getComputedStyle(document.getElementById('play')).display !== 'none',
    bankShownName: document.getElementById('bank-shown').textContent,
  })));
  return got;
}

// Runs clip2c-board --bank <bank> <args> -o out.h on `files` ({name,
// bytes}), each in a folder of its own so that names may repeat, in order.
function runBoardBank(opts, bank, files, args) {
  const folder = path.join(opts.scratch, 'bank-' + ++scratchCount);
  const inputs = files.map((file, i) => {
    fs.mkdirSync(path.join(folder, 'f' + i), {recursive: true});
    fs.writeFileSync(path.join(folder, 'f' + i, file.name), file.bytes);
    return path.join('f' + i, file.name);
  });
  const run = spawnSync(opts.board, ['--bank', bank].concat(args, ['-o', 'out.h'], inputs),
      {cwd: folder, encoding: 'buffer'});
  const out = path.join(folder, 'out.h');
  return {status: run.status, stderr: String(run.stderr || run.error || ''), folder,
    text: fs.existsSync(out) ? fs.readFileSync(out) : null};
}

// A row whose rate is null keeps each WAV file's own rate: no --rate.
function boardArgs(row) {
  const args = ['--target', row.target, '--encoding', row.encoding];
  if (row.rate !== null) args.push('--rate', String(row.rate));
  if (row.normalize) args.push('--normalize');
  if (row.trim) args.push('--trim');
  if (row.signed) args.push('--signed');
  return args;
}

const onDisk = (file, name) => ({name: name || path.basename(file), bytes: fs.readFileSync(file)});

// The page's bank text is clip2c-board --bank's for the same files in the
// same order with the same options, byte for byte.
function likeTheBankCommand(problems, opts, got, row, files) {
  if (!opts.hasBank) return;
  const native = runBoardBank(opts, row.bank, files, boardArgs(row));
  check(problems, native.status === 0, 'clip2c-board --bank exited ' + native.status + ': ' +
      native.stderr.slice(0, 300));
  sameBytes(problems, 'bank texts', got.text, native.text);
  return native;
}

// A row whose rate is null ticks #own-rates (the rate chosen stays 8000 Hz).
async function setBankOptions(page, row) {
  await setOptions(page, row.signed, row.rate === null ? 8000 : row.rate, row);
  await page.$eval('#bank', (input, name) => { input.value = name; }, row.bank);
  await page.$eval('#own-rates', (box, own) => { box.checked = own; }, row.rate === null);
}

// An 8-bit mono PCM WAV file of `samples` whose "fmt " chunk says `rate`.
function eightBitWave(rate, samples) {
  const b = Buffer.alloc(44 + samples.length);
  b.write('RIFF', 0, 'latin1');
  b.writeUInt32LE(36 + samples.length, 4);
  b.write('WAVEfmt ', 8, 'latin1');
  b.writeUInt32LE(16, 16);  // the "fmt " chunk's size
  b.writeUInt16LE(1, 20);  // PCM
  b.writeUInt16LE(1, 22);  // mono
  b.writeUInt32LE(rate, 24);
  b.writeUInt32LE(rate, 28);  // bytes a second
  b.writeUInt16LE(1, 32);  // bytes a frame
  b.writeUInt16LE(8, 34);  // bits a sample
  b.write('data', 36, 'latin1');
  b.writeUInt32LE(samples.length, 40);
  Buffer.from(samples).copy(b, 44);
  return b;
}

// A WAV file that says 0 Hz: the page words its length as the engine's
// text does, alone and in a bank's rows.
async function zeroHertz(page, opts) {
  const problems = [], words = '3 samples, length unknown at 0 Hz';
  const files = ['still.wav', 'hush.wav'].map((name) => path.join(opts.scratch, name));
  files.forEach((file) => fs.writeFileSync(file, eightBitWave(0, [128, 140, 116])));
  await setOptions(page, false, 8000, {target: 'firmware'});
  await choose(page, files[0]);
  const got = await outcome(page);
  const duration = await page.$eval('#duration', (d) => d.textContent);
  check(problems, String(got.text).includes('still_wave: ' + words), 'text ' + String(got.text).slice(0, 200));
  check(problems, words.endsWith(duration), 'duration ' + JSON.stringify(duration));
  await setBankOptions(page, {signed: false, rate: null, bank: 'sfx', target: 'c', encoding: 'pcm8'});
  await chooseMany(page, files);
  const rows = (await bankOutcome(page)).rows.map((r) => r.figures);
  check(problems, rows.join('|') === 'still.wav: ' + words + '|hush.wav: ' + words, 'rows ' + JSON.stringify(rows));
  await page.$eval('#own-rates', (box) => { box.checked = false; });
  record('a WAV that says 0 Hz: its length in the engine\'s words, alone and in a bank', problems);
}

// Banks: made like clip2c-board --bank's, rows added, removed and renamed,
// a clash settled by the engine, the download's name, a clip only the
// browser decodes, a refusal, 375 px and axe-core, and the progmem bank in
// the bank sketch.
async function banks(page, opts, cases) {
  const b = cases.banks, files = b.files, names = ['jump', 'coin', 'Bell_Ring'];
  const help = spawnSync(opts.board, ['--help'], {encoding: 'utf8'});
  opts.hasBank = help.status === 0 && /--bank/.test(help.stdout);
  if (!opts.hasBank) {
    skip('banks: texts compared with clip2c-board --bank', opts.board + ' --help names no --bank yet');
  }
  for (const row of b.rows) {
    const problems = [];
    await setBankOptions(page, row);
    await chooseMany(page, files);
    const got = await bankOutcome(page);
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    likeTheBankCommand(problems, opts, got, row, files.map((f) => onDisk(f)));
    check(problems, got.downloadName === row.bank + '.h', 'download name ' + JSON.stringify(got.downloadName));
    check(problems, got.rows.map((r) => r.name).join() === names.join(), 'rows named ' +
        got.rows.map((r) => r.name).join());
    check(problems, got.rows.every((r, i) => r.figures.includes(' at ' + (row.rate || b.rates[i]) + ' Hz')),
        'figures ' + got.rows.map((r) => r.figures).join('; '));
    check(problems, got.ownRatesShown && got.ownRates === (row.rate === null),
        '#own-rates shown ' + got.ownRatesShown + ', ticked ' + got.ownRates);
    check(problems, got.bankShown && !got.oneNameShown && got.addShown && !got.playShown,
        'the bank\'s controls: bank ' + got.bankShown + ', #name ' + got.oneNameShown + ', #add ' + got.addShown +
        ', #play ' + got.playShown);
    check(problems, got.bankShownName === row.bank, 'the hint names the bank ' + got.bankShownName);
    check(problems, got.fit !== '' && got.status.includes(got.fit), 'fit ' + JSON.stringify(got.fit));
    check(problems, got.text && got.source === got.text.toString('utf8'), 'the text shown is not the text');
    check(problems, got.clipHidden, 'a prepared clip is offered for a bank');
    // In IMA ADPCM each row counts the samples its clip decodes to, as the
    // header's defines say, and the flash is the arrays' bytes.
    if (row.encoding === 'ima-adpcm') {
      const text = got.text ? got.text.toString('latin1') : '';
      const counts = [...text.matchAll(/\n#define \w+_adpcm_samples (\d+)\n/g)].map((m) => Number(m[1]));
      const bytes = [...text.matchAll(/ \w+_adpcm\[(\d+)\] =/g)].reduce((n, m) => n + Number(m[1]), 0);
      check(problems, counts.length === got.rows.length && got.rows.every((r, i) =>
        r.figures.includes(': ' + counts[i].toLocaleString('en-US') + ' samples')), 'the header counts ' +
          counts.join(', ') + ' samples; the rows say ' + got.rows.map((r) => r.figures).join('; '));
      check(problems, got.sampleCount === counts.reduce((n, c) => n + c, 0).toLocaleString('en-US') &&
          got.flash === bytes.toLocaleString('en-US') + ' bytes of IMA ADPCM', 'shown: ' + got.sampleCount +
          ' samples, ' + got.flash + '; the header: ' + bytes + ' bytes');
    }
    record('bank like clip2c-board --bank: three WAV files at three rates, ' + row.name, problems);
  }

  // The rows' changes, from a progmem bank of the three.
  const row = b.rows[0];
  const steps = [
    {name: '#add adds a clip', act: () => addThroughButton(page, [b.extra]),
      files: [...files.map((f) => onDisk(f)), onDisk(b.extra)], names: [...names, 'laser']},
    {name: 'Remove takes a clip out', act: () => removeRow(page, 1),
      files: [onDisk(files[0]), onDisk(files[2]), onDisk(b.extra)], names: ['jump', 'Bell_Ring', 'laser']},
    // A renamed clip is made as a file of that name would be.
    {name: 'a renamed clip takes its name', act: () => renameRow(page, 0, 'kick'),
      files: [onDisk(files[0], 'kick.wav'), onDisk(files[2]), onDisk(b.extra)], names: ['kick', 'Bell_Ring', 'laser'],
      says: ''},
    {name: 'a clip renamed to an earlier one\'s name gets _2', act: () => renameRow(page, 2, 'kick'),
      files: [onDisk(files[0], 'kick.wav'), onDisk(files[2]), onDisk(b.extra, 'kick.raw')],
      names: ['kick', 'Bell_Ring', 'kick_2'], says: 'kick_2'},
    {name: 'an emptied name is proposed from the file again', act: () => renameRow(page, 2, ''),
      files: [onDisk(files[0], 'kick.wav'), onDisk(files[2]), onDisk(b.extra)], names: ['kick', 'Bell_Ring', 'laser']},
  ];
  await setBankOptions(page, row);
  await chooseMany(page, files);
  for (const step of steps) {
    const problems = [];
    await step.act();
    const got = await bankOutcome(page);
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    check(problems, got.rows.map((r) => r.name).join() === step.names.join(), 'rows named ' +
        got.rows.map((r) => r.name).join());
    likeTheBankCommand(problems, opts, got, row, step.files);
    if (step.says) check(problems, got.notice.includes(step.says), 'notice ' + JSON.stringify(got.notice));
    record('bank: ' + step.name, problems);
  }

  // Removing every clip leaves the page as it was before any choice.
  let problems = [];
  for (let left = steps.at(-1).names.length; left > 0; left--) {
    const before = await runCount(page);
    await (await page.$$('#bank-list .remove'))[0].click();
    await page.waitForFunction((n) => Number(document.getElementById('state').dataset.run) > n &&
        document.getElementById('state').dataset.state !== 'working', {timeout: 30000}, before);
  }
  let got = await bankOutcome(page);
  check(problems, got.state === 'idle' && got.rows.length === 0 && !got.downloadHref && !got.bankShown &&
      !got.ownRatesShown && got.oneNameShown && !got.addShown, 'state ' + got.state + ', ' + got.rows.length + ' rows, download ' +
      got.downloadHref + ', bank ' + got.bankShown + ', #add ' + got.addShown);
  record('bank: removing every clip leaves the page idle', problems);

  // Two files called jump.wav: the engine names the second jump_2 and says so.
  problems = [];
  await chooseMany(page, [files[0], b.twin, files[1]]);
  got = await bankOutcome(page);
  check(problems, got.rows.map((r) => r.name).join() === 'jump,jump_2,coin', 'rows named ' +
      got.rows.map((r) => r.name).join());
  check(problems, /jump_2/.test(got.notice) && /jump\.wav/.test(got.notice), 'notice ' + JSON.stringify(got.notice));
  check(problems, (got.text || '').includes('SFX_JUMP_2'), 'no SFX_JUMP_2 in the text');
  likeTheBankCommand(problems, opts, got, row, [onDisk(files[0]), onDisk(b.twin), onDisk(files[1])]);
  record('bank: two files named jump.wav, the second jump_2, noted', problems);

  // The bank's name: the download <bank>.h and the text's names.
  problems = [];
  let before = await runCount(page);
  await page.$eval('#bank', (input) => { input.value = ''; });
  await page.type('#bank', 'uno_sounds');
  await page.keyboard.press('Enter');
  await waitForRun(page, before);
  got = await bankOutcome(page);
  check(problems, got.downloadName === 'uno_sounds.h' && /^Download uno_sounds\.h$/.test(
      await page.$eval('#download', (a) => a.textContent)), 'download ' + got.downloadName);
  check(problems, (got.text || '').includes('#ifndef UNO_SOUNDS_BANK_H'), 'no UNO_SOUNDS_BANK_H guard');
  likeTheBankCommand(problems, opts, got, Object.assign({}, row, {bank: 'uno_sounds'}),
      [onDisk(files[0]), onDisk(b.twin), onDisk(files[1])]);
  record('bank: #bank names the download <bank>.h and the text', problems);

  // A bank name that gives no identifier is refused, naming it; axe-core
  // finds nothing in that state either.
  problems = [];
  before = await runCount(page);
  await page.$eval('#bank', (input) => { input.value = ''; });
  await page.type('#bank', 'my sounds');
  await page.keyboard.press('Enter');
  await waitForRun(page, before);
  got = await bankOutcome(page);
  check(problems, got.state === 'error' && got.message.includes('my sounds'), 'state ' + got.state + ', message ' +
      JSON.stringify(got.message));
  check(problems, !got.downloadHref && got.source === '', 'a text is offered');
  problems.push(...await axeViolations(page));
  record('bank: a name that gives no identifier is refused; axe-core finds no violation', problems);
  await page.$eval('#bank', (input) => { input.value = 'sfx'; });

  // #add beside one clip makes a bank of both; one file chosen alone is
  // one clip again.
  problems = [];
  await setBankOptions(page, row);
  await choose(page, files[1]);
  await addThroughButton(page, [files[0]]);
  got = await bankOutcome(page);
  check(problems, got.rows.map((r) => r.name).join() === 'coin,jump', 'rows named ' + got.rows.map((r) => r.name));
  likeTheBankCommand(problems, opts, got, row, [onDisk(files[1]), onDisk(files[0])]);
  await choose(page, files[2]);
  got = await bankOutcome(page);
  check(problems, !got.bankShown && got.oneNameShown && got.playShown && got.addShown &&
      got.downloadName === 'Bell_Ring.h', 'after one file: bank ' + got.bankShown + ', #name ' + got.oneNameShown +
      ', #play ' + got.playShown + ', #add ' + got.addShown + ', download ' + got.downloadName);
  record('bank: #add beside one clip makes a bank of both; one file alone is one clip again', problems);

  // A clip only the browser decodes enters the bank as the WAV file its
  // decoding gives, which its row offers: the bank of that file is the
  // command's.
  const coded = cases.prepares.find((r) => /\.(flac|ogg|mp3)$/.test(r.file));
  const adpcmRow = b.rows.find((r) => r.encoding === 'ima-adpcm' && r.rate !== null);
  for (const row of [b.rows[0], adpcmRow]) {
    if (!coded) {
      skip('bank: a clip only the browser decodes', 'sox wrote no FLAC, OGG or MP3 here');
      break;
    }
    problems = [];
    await setBankOptions(page, row);
    await chooseMany(page, [coded.file, files[0]]);
    got = await bankOutcome(page);
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    check(problems, /decoded by your browser/.test(got.notice), 'notice ' + JSON.stringify(got.notice));
    const wavName = got.rows[0] && got.rows[0].decoded;
    check(problems, wavName === path.basename(coded.prepared_name), 'row offers ' + wavName);
    const wav = wavName ? await linkBytes(page, '#bank-list a.decoded') : null;
    // In IMA ADPCM the decoded clip enters the bank at 16 bits, as a clip alone is encoded.
    const bits = wav ? wav.readUInt16LE(34) : 0;
    check(problems, bits === (row.encoding === 'ima-adpcm' ? 16 : 8), 'the offered WAV has ' + bits + ' bits');
    if (wav) likeTheBankCommand(problems, opts, got, row, [{name: wavName, bytes: wav}, onDisk(files[0])]);
    record('bank: ' + path.basename(coded.file) + ' decoded by the browser, made from the WAV its row offers, ' +
        row.encoding, problems);
  }

  // 375 px and axe-core with a bank shown, one of its names long.
  problems = [];
  await page.setViewport({width: 375, height: 800});
  await setBankOptions(page, row);
  await chooseMany(page, [files[0], b.long, files[2]]);
  const wide = await page.evaluate(() => {
    const out = [];
    for (const e of document.querySelectorAll('body *')) {
      if (e.closest('pre') && e.tagName !== 'PRE') continue;
      const r = e.getBoundingClientRect();
      if (r.width && r.right > document.documentElement.clientWidth + 0.5) out.push(e.tagName + '#' + e.id + ' ' + r.right);
    }
    return {out, scroll: document.documentElement.scrollWidth, width: document.documentElement.clientWidth};
  });
  got = await bankOutcome(page);
  check(problems, got.state === 'done', 'not made');
  check(problems, got.ownRatesShown, '#own-rates is not shown with a bank');
  check(problems, wide.scroll <= wide.width, 'the page scrolls sideways: ' + wide.scroll + ' > ' + wide.width);
  check(problems, wide.out.length === 0, 'beyond the edge: ' + wide.out.slice(0, 5).join(', '));
  problems.push(...await axeViolations(page));
  const height = await page.evaluate(() => document.documentElement.scrollHeight);
  await page.setViewport({width: 375, height});
  await new Promise((resolve) => setTimeout(resolve, 300));
  await page.screenshot({path: opts.screenshot.replace(/\.png$/, '') + '-bank-375.png'});
  await page.setViewport({width: 1000, height: 800});
  record('bank at 375 px: nothing beyond the right edge, a long name; axe-core finds no violation', problems);

  // The progmem bank's download in the bank sketch.
  const name = 'bank: the progmem download plays in the bank sketch';
  const player = opts.sketch ? path.join(path.dirname(opts.sketch), 'check_play_bank.py') : null;
  const usage = player && fs.existsSync(player) ? spawnSync('python3', [player, '--help'], {encoding: 'utf8'}) : null;
  if (!usage || !/--header/.test(usage.stdout || '')) {
    skip(name, (player || 'check_play_bank.py') + ' plays the banks it makes itself; it takes no --header to play' +
        ' a given one');
  } else {
    problems = [];
    // The sketch includes sounds.h and calls sounds_at: the bank is "sounds",
    // each clip at its file's own rate, so the sketch plays three rates.
    const own = b.rows.find((r) => r.rate === null && r.target === 'progmem');
    await setBankOptions(page, {...own, bank: 'sounds'});
    await chooseMany(page, files);
    got = await bankOutcome(page);
    check(problems, got.state === 'done', 'state ' + got.state + ', message ' + JSON.stringify(got.message));
    likeTheBankCommand(problems, opts, got, {...own, bank: 'sounds'}, files.map((f) => onDisk(f)));
    for (const rate of b.rates) {
      check(problems, new RegExp('\\b' + rate + '\\b').test(got.text || ''), 'the text names no clip at ' + rate +
          ' Hz');
    }
    const folder = path.join(opts.scratch, 'bank-sketch');
    fs.mkdirSync(folder, {recursive: true});
    const header = path.join(folder, 'sounds.h');
    fs.writeFileSync(header, got.text || '');
    const ran = spawnSync('python3', [player, '--header', header, '--scratch', path.join(folder, 'scratch')],
        {encoding: 'utf8'});
    check(problems, ran.status === 0, 'the bank sketch with this header: ' + (ran.stdout + ran.stderr).slice(-600));
    record(name, problems);
  }
}

// axe-core finds no violation when idle, done or refused.
async function accessible(page, siteUrl, cases) {
  const states = [
    ['idle', null],
    ['done', cases.names.find((r) => r.proposed).file],
    ['error', cases.refusals[0].file],
  ];
  for (const [state, file] of states) {
    const problems = [];
    if (file) await choose(page, file);
    else await page.goto(siteUrl);
    problems.push(...await axeViolations(page));
    record('axe-core: no violation when ' + state, problems);
  }
}

// The page's policy refuses a connection to another origin; the page
// still converts afterwards.
async function privacy(page, cases) {
  const problems = [];
  probing = true;  // the refused connection logs errors of its own
  const seen = await page.evaluate(async () => {
    const violations = [];
    document.addEventListener('securitypolicyviolation', (e) => violations.push(e.violatedDirective));
    const fetched = await fetch('https://example.org/upload', {method: 'POST', body: 'x'}).then(() => 'sent', () => 'refused');
    await new Promise((resolve) => setTimeout(resolve, 100));
    return {fetched, violations};
  });
  check(problems, seen.fetched === 'refused', 'the fetch was ' + seen.fetched);
  check(problems, seen.violations.some((d) => /connect-src/.test(d)), 'violations: ' + seen.violations.join(', '));
  await choose(page, cases.converts[0].file);
  const got = await outcome(page);
  // Firefox reports the refusal as a page error, and only a while after.
  probing = false;
  check(problems, got.state === 'done' && got.text, 'then not converted: ' + got.state);
  record('privacy: the policy refuses a connection elsewhere', problems);
}

// Long work runs off the main thread: no task of the page's over
// LONG_TASK_LIMIT_MS, progress shown and the run stoppable.
async function longRuns(page, rows, cases) {
  // The observer itself first: a 150 ms task of the page's must show.
  // Firefox times no long task: there only the runs' outcomes are checked.
  const timed = await page.evaluate(() => PerformanceObserver.supportedEntryTypes.includes('longtask'));
  const seen = !timed ? null : await page.evaluate(() => new Promise((resolve) => {
    const observer = new PerformanceObserver((list) => {
      observer.disconnect();
      resolve(Math.max(...list.getEntries().map((e) => e.duration)));
    });
    observer.observe({type: 'longtask'});
    setTimeout(() => { const end = performance.now() + 150; while (performance.now() < end) {} }, 0);
    setTimeout(() => resolve(0), 2000);
  }));
  if (timed) {
    record('off the main thread: the observer sees a 150 ms task', seen >= 150 ? [] : ['it saw ' + seen + ' ms']);
  } else {
    skip('off the main thread: the observer sees a 150 ms task', 'this browser times no long task');
  }
  for (const row of rows) {
    const problems = [];
    await setOptions(page, false, 8000);
    await page.evaluate(() => {
      window.longest = 0;
      window.longTasks = new PerformanceObserver((list) => {
        for (const e of list.getEntries()) window.longest = Math.max(window.longest, e.duration);
      });
      if (PerformanceObserver.supportedEntryTypes.includes('longtask')) window.longTasks.observe({type: 'longtask'});
    });
    const started = Date.now();
    await choose(page, row.file);
    const seconds = (Date.now() - started) / 1000;
    const got = await outcome(page, false);
    await new Promise((resolve) => setTimeout(resolve, 200));
    const longest = await page.evaluate(() => { window.longTasks.disconnect(); return window.longest; });
    check(problems, got.state === 'done', 'state ' + got.state + ' ' + got.message);
    check(problems, longest <= LONG_TASK_LIMIT_MS, 'a main-thread task took ' + longest.toFixed(0) + ' ms');
    console.log('long run: ' + row.name + ': ' + seconds.toFixed(1) + ' s, longest task ' +
        (timed ? longest.toFixed(0) + ' ms' : 'not timed'));
    record('off the main thread: ' + row.name, problems);
  }
  // The longest of them, normalized and trimmed too, stopped by #cancel as
  // soon as the progress shows (clicked from the page itself, within a
  // frame, so that the run cannot end first).
  const problems = [];
  await setOptions(page, false, 8000, {normalize: true, trim: true});
  const before = await runCount(page);
  const clicked = page.evaluate((n) => new Promise((resolve) => {
    const look = () => {
      const busy = document.getElementById('busy'), line = document.getElementById('state');
      const state = Number(line.dataset.run) > n ? line.dataset.state : 'before';
      if (!busy.hidden) {
        resolve('progress shown, ' + document.getElementById('progress').value + ' %');
        document.getElementById('cancel').click();
      } else if (state === 'done' || state === 'error') {
        resolve('ended before any progress showed');
      } else {
        requestAnimationFrame(look);
      }
    };
    setTimeout(look, 0);
  }), before);
  await page.$eval('#clip', (input) => { input.value = ''; });
  await (await page.$('#clip')).uploadFile(rows[0].file);
  const said = await clicked;
  check(problems, said.startsWith('progress shown'), said);
  await page.waitForFunction((n) => {
    const s = document.getElementById('state');
    return Number(s.dataset.run) > n + 1 && s.dataset.state === 'idle';
  }, {timeout: 5000}, before).catch(() => problems.push('not stopped'));
  const got = await outcome(page, false);
  check(problems, !got.downloadHref && got.state === 'idle', 'a text after cancel');
  // Choosing another file stops the run that is on.
  await page.$eval('#clip', (input) => { input.value = ''; });
  await (await page.$('#clip')).uploadFile(rows[0].file);
  await choose(page, cases.converts[0].file);
  const next = await outcome(page, false);
  check(problems, next.state === 'done' && next.downloadName === cases.converts[0].page_name + '.h',
      'after another file: ' + next.state + ', ' + next.downloadName);
  await choose(page, cases.converts[0].file);
  check(problems, (await outcome(page)).state === 'done', 'the next run after cancel failed');
  record('progress and cancel', problems);
}

// --- Main ---------------------------------------------------------------------

async function main() {
  const opts = options();
  const cases = JSON.parse(fs.readFileSync(opts.cases, 'utf8'));
  fs.rmSync(opts.scratch, {recursive: true, force: true});
  fs.mkdirSync(opts.scratch, {recursive: true});
  // The page is one file: copied alone into an empty folder, it must work.
  const alone = path.join(opts.scratch, 'alone');
  fs.mkdirSync(alone);
  fs.copyFileSync(path.join(opts.site, 'index.html'), path.join(alone, 'clip2c.html'));
  const siteUrl = pathToFileURL(path.join(alone, 'clip2c.html')).href;

  const browser = await (opts.browser === 'firefox' ? launchFirefox : launchChromium)(opts.scratch);
  const outside = [], errors = [];
  try {
    if (opts.browser === 'chromium') {
      await browser.defaultBrowserContext().overridePermissions('file://', ['clipboard-read', 'clipboard-write',
        'clipboard-sanitized-write']);
    }
    const page = await browser.newPage();
    await page.setViewport({width: 1000, height: 800});
    page.on('request', (request) => {
      const url = request.url();
      if (!(url === siteUrl || url.startsWith('data:') || url.startsWith('blob:'))) outside.push(url);
    });
    page.on('pageerror', (error) => {
      if (!probing) errors.push('page error: ' + error.message);
    });
    page.on('console', (message) => {
      if (message.type() === 'error' && !probing) errors.push('console error: ' + message.text());
    });
    await page.goto(siteUrl);
    await page.waitForFunction(() => window.clip2cTexts !== undefined, {timeout: 10000});
    TEXTS = await page.evaluate(() => window.clip2cTexts);
    const idle = await page.$eval('#state', (s) => s.dataset.state);
    const rate = await page.$eval('#rate', (s) => s.value);
    const target = await page.$eval('#target', (s) => s.value + ' ' + s.options[0].value);
    const addIdle = await page.$eval('#add', (a) => getComputedStyle(a).display);
    record('loads idle at 8000 Hz, target c, no #add', [idle === 'idle' ? '' : 'state ' + idle,
      addIdle === 'none' ? '' : '#add shows (' + addIdle + ')',
      rate === '8000' ? '' : 'rate ' + rate, target === 'c c' ? '' : 'target ' + target].filter(Boolean));

    await accessible(page, siteUrl, cases);
    await longRuns(page, cases.long, cases);
    await convertsAsTheTool(page, opts, cases.converts);
    await refusesWithTheToolsMessage(page, opts, cases.refusals);
    const outcomes = await prepareAll(page, cases.prepares);
    preparesTheSamples(cases.prepares, outcomes);
    preparedClipGivesTheText(opts, cases.prepares, outcomes);
    for (const row of cases.skipped) skip('prepares: ' + row.name, row.reason);
    await names(page, opts, cases.names);
    await targets(page, opts, cases);
    await fit(page, opts);
    await shaping(page, opts, cases.shaping);
    await notices(page, cases.notices);
    await optionsRerun(page, opts, cases);
    await controls(page, opts, cases);
    await likeTheBoard(page, opts, cases.board);
    await adpcm(page, opts, cases.adpcm);
    await banks(page, opts, cases);
    await zeroHertz(page, opts);
    await narrow(page, opts, cases.narrow);
    await speed(page, opts, cases.speed.file);

    // The screenshot: a prepared speech clip for an Uno, its fit, its
    // waveform and the text.
    const shot = cases.prepares.find((row) => row.count !== undefined && row.rate === 8000);
    await setOptions(page, false, 8000, {target: 'progmem'});
    await choose(page, shot.file);
    // The whole page in view (the text is laid out only where it is seen).
    const height = await page.evaluate(() => document.documentElement.scrollHeight);
    await page.setViewport({width: 1000, height});
    await new Promise((resolve) => setTimeout(resolve, 300));
    await page.screenshot({path: opts.screenshot});
    await page.setViewport({width: 1000, height: 800});
    console.log('screenshot: ' + opts.screenshot);

    await privacy(page, cases);
    record('no request outside the page', outside.map((url) => 'requested ' + url));
    record('no page error', errors);
  } finally {
    await browser.close();
  }
  console.log('page: ' + fs.statSync(path.join(opts.site, 'index.html')).size + ' bytes (one file)');
  const which = opts.browser === 'chromium' ? '' : ' (' + opts.browser + ')';
  console.log('web' + which + ': ' + tally.passed + ' passed, ' + tally.failed + ' failed, ' + tally.skipped + ' skipped');
  return tally.failed === 0 ? 0 : 1;
}

main().then((code) => process.exit(code), (error) => {
  console.error(error);
  process.exit(1);
});
