// SPDX-License-Identifier: MIT
// The page's script: it hands the chosen file, or the bank's files, to the
// worker (web/worker.js, which runs the WebAssembly core), decodes sound
// when the worker asks, and shows what comes back. It holds no rule of the conversion and no text of
// the tool's: those come from the core.
'use strict';

const $ = (id) => document.getElementById(id);
const clipInput = $('clip'), nameInput = $('name'), nameShown = $('name-shown'), arraySuffix = $('array-suffix'),
  targetSelect = $('target'), encodingSelect = $('encoding'),
  rateSelect = $('rate'), signedBox = $('signed'), normalizeBox = $('normalize'), trimBox = $('trim'),
  stateLine = $('state'), busy = $('busy'), progressBar = $('progress'), cancelButton = $('cancel'),
  messageBox = $('message'), noticeBox = $('notice'), preparedLine = $('prepared'), resultBox = $('result'),
  fitLine = $('fit'), source = $('source'), sourceNote = $('source-note'), download = $('download'),
  clipDownload = $('clip-download'), canvas = $('wave'), playButton = $('play'), copyButton = $('copy'),
  actionNote = $('action-note'), oneName = $('one-name'), bankBox = $('bank-box'), bankInput = $('bank'),
  bankList = $('bank-list'), addButton = $('add'), addInput = $('add-files'), ownRatesBox = $('own-rates');

// Work that takes longer than this shows its progress and can be stopped.
const PROGRESS_AFTER_MS = 300;
// A clip's length at 0 Hz, in the words of the tool's text.
const UNKNOWN_LENGTH = 'length unknown at 0 Hz';

let worker = null;    // the worker, and its promise of readiness
let ready = null;
let run = 0;          // the current run; an older one stops at its next step
let chosenFile = null;
let chosenName = null;  // the name chosen for chosenFile; null: proposed
// The bank shown, when there is one: its files in order, each with the
// name chosen for it (null: proposed), and the name each has in the bank.
let bank = null;        // {files: [{file, name, shownName}]}
let working = '';      // what the run at work is on, for the progress line
let usedName = null;   // the name the shown result was converted under
let shown = null;     // {result, run} on show
let blobUrls = [];
let player = null;    // {context, node} while playing

// --- The worker --------------------------------------------------------------------

// Starts a worker from the core and the worker's script, both inline in the
// page, so that it works from file:// as from any host.
function startWorker() {
  const code = [$('core-js').textContent, '\n', $('worker-js').textContent];
  const url = URL.createObjectURL(new Blob(code, {type: 'text/javascript'}));
  worker = new Worker(url);
  URL.revokeObjectURL(url);
  const handlers = new Map();
  worker.onmessage = (event) => {
    const msg = event.data;
    if (msg.op === 'ready') {
      window.clip2cTexts = msg.texts;  // the core's one table of statuses and notes
      handlers.get('ready')?.resolve(msg.texts);
    } else if (msg.op === 'failed' && msg.id === 0) {
      handlers.get('ready')?.reject(new Error(msg.error));
    } else {
      // Play's samples answer a handler of their own: the run that made
      // them has ended by then.
      handlers.get(msg.op === 'pcm' ? 'pcm-' + msg.id : msg.id)?.(msg);
    }
  };
  worker.onerror = (event) => {
    event.preventDefault();
    for (const [key, handler] of handlers) {
      if (key === 'ready') handler.reject(new Error(event.message));
      else handler({op: 'failed', id: key, outOfMemory: true, error: event.message});
    }
  };
  worker.handlers = handlers;
  ready = new Promise((resolve, reject) => handlers.set('ready', {resolve, reject}));
  return ready;
}

function stopWorker() {
  worker.terminate();
  startWorker().catch(loadFailed);
}

// Runs `request` (a file's 'run' or a 'bank') in the worker; resolves with
// the worker's result. Progress goes to the bar; a request to decode is
// answered here, where an audio context is.
function runInWorker(mine, request, transfer) {
  return new Promise((resolve) => {
    worker.handlers.set(mine, async (msg) => {
      if (msg.op === 'progress') {
        showProgress(mine, msg.value, msg.phase);
      } else if (msg.op === 'decode') {
        showProgress(mine, 50, 'Decoding');
        const channels = await decode(msg.bytes, msg.rate);
        if (mine !== run) return;
        worker.postMessage({op: 'decoded', id: mine, channels}, channels ? channels.map((c) => c.buffer) : []);
      } else {
        worker.handlers.delete(mine);
        resolve(msg);
      }
    });
    worker.postMessage(Object.assign({id: mine}, request), transfer);
  });
}

// The file's bytes decoded and resampled to `rate` by the browser, as one
// copy of each channel; null when the browser cannot decode them.
async function decode(bytes, rate) {
  try {
    // A one-channel context of one frame: only its rate matters, and
    // decodeAudioData resamples to it (not at all when the clip has it).
    const audio = await new OfflineAudioContext(1, 1, rate).decodeAudioData(bytes);
    const channels = [];
    for (let c = 0; c < audio.numberOfChannels; c++) channels.push(audio.getChannelData(c).slice());
    return channels;
  } catch (error) {
    return null;
  }
}

// --- One run -------------------------------------------------------------------------

// Converts `file` with the page's options. `name` is the name to convert
// under, or null for a newly chosen file, whose name the core proposes.
async function start(file, name, startedAt, forcePrepare = false) {
  const mine = ++run;
  if (stateLine.dataset.state === 'working') stopWorker();
  leaveBank();
  chosenFile = file;
  chosenName = name;
  working = file.name;
  addButton.hidden = false;
  addButton.textContent = 'Add files: make a bank';
  if (name !== null) usedName = name;
  // A newly chosen file's name comes with its result; the last file's
  // must not stand beside it meanwhile.
  else setName('');
  clearResult();
  setState('working', 'Converting ' + file.name + '\u2026', mine);
  await runJob(mine, async () => {
    const bytes = await file.arrayBuffer();
    if (mine !== run) return null;
    return runInWorker(mine, Object.assign({op: 'run', bytes, fileName: file.name, name, forcePrepare}, shared()),
        [bytes]);
  }, (result) => setName(result.name), (result) => show(mine, result, startedAt));
}

// Runs one job in the worker for run `mine`: `ask` reads the files and
// posts the job (null when another run began meanwhile), `named` takes the
// names of its result and `made` shows a result that was made. Shows the
// progress after PROGRESS_AFTER_MS, the notices, a refusal or a failure,
// and nothing once another run has begun.
async function runJob(mine, ask, named, made) {
  const timer = setTimeout(() => { if (mine === run) busy.hidden = false; }, PROGRESS_AFTER_MS);
  try {
    await ready;
    if (mine !== run) return;
    const msg = await ask();
    if (!msg || mine !== run) return;
    if (msg.op === 'failed') return failed(mine, msg);
    named(msg.result);
    showNotices(msg.result);
    if (msg.result.converted) made(msg.result);
    else refuse(mine, msg.result);
  } catch (error) {
    if (mine === run) failed(mine, {error: error && error.message ? error.message : String(error)});
  } finally {
    clearTimeout(timer);
    if (mine === run) busy.hidden = true;
  }
}

// The options every clip is made with.
function shared() {
  return {signed: signedBox.checked, target: targetSelect.value, encoding: encodingSelect.value,
    rate: Number(rateSelect.value),
    normalize: normalizeBox.checked, trim: trimBox.checked};
}

// Converts the chosen file again, under the name in the field, or under the
// one the core proposes when the file has had none yet (its first run
// stopped or failed); or makes the bank again.
function rerun() {
  if (bank) startBank(performance.now());
  else if (chosenFile) start(chosenFile, usedName === '' ? null : nameInput.value, performance.now());
}

// Several files chosen or dropped at once: a new bank of them. One file
// alone is one clip.
function chooseFiles(files) {
  const startedAt = performance.now();
  if (files.length > 1) {
    bank = {files: files.map((file) => ({file, name: null, shownName: ''}))};
    startBank(startedAt);
  } else if (files.length === 1) {
    start(files[0], null, startedAt);
  }
}

// Files added to the bank shown, or to the one clip shown, which becomes
// the bank's first (under its chosen name).
function addFiles(files) {
  if (!files.length) return;
  if (!bank) {
    bank = {files: chosenFile ? [{file: chosenFile, name: chosenName, shownName: usedName || ''}] : []};
  }
  for (const file of files) bank.files.push({file, name: null, shownName: ''});
  startBank(performance.now());
}

function removeClip(index) {
  bank.files.splice(index, 1);
  if (bank.files.length) return startBank(performance.now());
  // The last clip gone: the page is as it was before any choice.
  const mine = ++run;
  if (stateLine.dataset.state === 'working') stopWorker();
  leaveBank();
  chosenFile = null;
  clearResult();
  addButton.hidden = true;
  setState('idle', 'Choose a clip to convert.', mine);
}

// A clip's name in the bank edited: that clip's chosen name (none when
// emptied: proposed again).
function renameClip(index, value) {
  const entry = bank.files[index];
  if (value === entry.shownName) return;
  entry.name = value === '' ? null : value;
  entry.shownName = value;
  startBank(performance.now());
}

// Back to one clip: the bank's controls go.
function leaveBank() {
  bank = null;
  bankBox.hidden = true;
  oneName.hidden = false;
  bankList.textContent = '';
}

// Makes the bank of the files listed, with the page's options.
async function startBank(startedAt) {
  const mine = ++run;
  if (stateLine.dataset.state === 'working') stopWorker();
  const files = bank.files.slice();
  chosenFile = null;
  working = 'the bank';
  clearResult();
  bankBox.hidden = false;
  oneName.hidden = true;
  addButton.hidden = false;
  addButton.textContent = 'Add files to the bank';
  showBankName();
  listClips(null);
  setState('working', 'Making the bank of ' + files.length + (files.length === 1 ? ' clip' : ' clips') + '\u2026',
      mine);
  await runJob(mine, async () => {
    const buffers = await Promise.all(files.map((f) => f.file.arrayBuffer()));
    if (mine !== run) return null;
    return runInWorker(mine, Object.assign({op: 'bank', bank: bankInput.value, ownRates: ownRatesBox.checked,
      clips: files.map((f, i) => ({bytes: buffers[i], fileName: f.file.name, name: f.name}))}, shared()), buffers);
  }, listClips, (result) => showBank(mine, result, startedAt));
}

function cancel() {
  if (stateLine.dataset.state !== 'working') return;
  const mine = ++run;
  stopWorker();
  busy.hidden = true;
  setState('idle', 'Stopped. Choose a clip, or change an option to convert it again.', mine);
}

function failed(mine, msg) {
  messageBox.textContent = '';
  const line = document.createElement('span');
  line.className = 'en';
  line.textContent = msg.outOfMemory ? window.clip2cTexts.statuses.find((s) => s.key === 'out-of-memory').en
                                     : 'The page failed: ' + msg.error;
  messageBox.appendChild(line);
  // A module that ran out of memory stops for good; a fresh worker serves
  // the next run.
  if (msg.outOfMemory) stopWorker();
  setState('error', 'Not converted.', mine);
}

function loadFailed(error) {
  messageBox.textContent = 'The converter could not be loaded: ' + (error && error.message ? error.message : error);
  setState('error', 'Not ready.', run);
}

// --- Showing a run -----------------------------------------------------------------

function setName(name) {
  usedName = name;
  nameInput.value = name;
  nameShown.textContent = name || 'name';
}

function showNotices(result) {
  noticeBox.textContent = '';
  for (const text of result.notices) {
    const line = document.createElement('p');
    line.textContent = text;
    noticeBox.appendChild(line);
  }
  if (result.offer) {
    const button = document.createElement('button');
    button.type = 'button';
    button.id = 'prepare-at-rate';
    button.textContent = window.clip2cTexts.notices['rate-offer'].replace('{rate}', rateSelect.value);
    button.addEventListener('click', () => start(chosenFile, nameInput.value, performance.now(), true));
    noticeBox.appendChild(button);
  }
}

function refuse(mine, result) {
  messageBox.textContent = '';
  if (result.ja) {
    const ja = document.createElement('span');
    ja.lang = 'ja';
    ja.className = 'ja';
    ja.textContent = result.ja;
    messageBox.appendChild(ja);
  }
  if (result.en) {
    const en = document.createElement('span');
    en.className = 'en';
    en.textContent = result.en;
    messageBox.appendChild(en);
  }
  if (result.undecodable) {
    const hint = document.createElement('span');
    hint.className = 'en hint';
    hint.textContent = 'Your browser cannot decode it as sound either, so it cannot be prepared.';
    messageBox.appendChild(hint);
  }
  setState('error', 'Not converted.', mine);
}

function show(mine, result, startedAt) {
  shown = {result, run: mine};
  playButton.hidden = false;
  canvas.setAttribute('aria-label', 'Waveform of the clip as converted');
  download.href = blobUrl(result.text);
  download.download = result.outputName;
  download.textContent = 'Download ' + result.outputName;

  if (result.prepared) {
    preparedLine.textContent = result.prepared.what;
    clipDownload.href = blobUrl(result.prepared.wav);
    clipDownload.download = result.prepared.name;
    clipDownload.textContent = 'Download ' + result.prepared.name;
    clipDownload.hidden = false;
  }

  // The samples the clip sounds as and the bytes its array takes: one a
  // sample in 8-bit PCM, about half a byte in IMA ADPCM.
  const {count, bytes, rate} = result;
  arraySuffix.textContent = result.arrayName.slice(result.name.length);
  $('sample-count').textContent = formatNumber(count);
  $('duration').textContent = rate ? (count / rate).toFixed(3) + ' s at ' + rate + ' Hz' : UNKNOWN_LENGTH;
  $('flash').textContent = formatNumber(bytes) + ' bytes';
  fitLine.textContent = result.fitText;
  fitLine.dataset.fits = result.fits ? 'yes' : 'no';
  playButton.disabled = !canPlay(rate) || count === 0;
  playButton.title = canPlay(rate) ? '' : 'Your browser cannot play sound at ' + rate + ' Hz.';

  // The waveform first: its size is read from the layout, which is quick
  // while the text is not in it yet.
  resultBox.hidden = false;
  drawWave();
  if (result.headLength < result.textSize) {
    sourceNote.textContent = 'Showing the first ' + formatNumber(result.headLength) + ' of ' +
        formatNumber(result.textSize) + ' bytes; the download holds the whole text.';
  }
  showText(result.head);
  stateLine.dataset.elapsedMs = (performance.now() - startedAt).toFixed(1);
  // The status line says the outcome; screen readers also hear the
  // figures, which the page shows just below it.
  const seconds = rate ? ', ' + (count / rate).toFixed(3) + ' s' : '';
  setState('done', result.prepared ? 'Prepared and converted.' : 'Converted as it is.', mine,
      formatNumber(count) + ' samples' + seconds + ', ' + formatNumber(bytes) + ' bytes of flash. ' + result.fitText);
}

// The bank's rows, one a file in order: its name in the bank (an input:
// editing it chooses the clip's name), its figures from `result` (none
// while the bank is made, or for a clip not made) and its Remove button;
// a clip the browser decoded offers the WAV file it entered the bank as.
function listClips(result) {
  const focused = document.activeElement && bankList.contains(document.activeElement)
    ? [...bankList.querySelectorAll('input, button')].indexOf(document.activeElement) : -1;
  bankList.textContent = '';
  bank.files.forEach((entry, i) => {
    const made = result && result.clips[i];
    if (made) entry.shownName = made.name;
    else if (result) entry.shownName = entry.name || '';
    const row = document.createElement('li');
    const input = document.createElement('input');
    input.type = 'text';
    input.className = 'clip-name';
    input.spellcheck = false;
    input.autocomplete = 'off';
    input.setAttribute('autocapitalize', 'off');
    input.value = entry.shownName;
    input.setAttribute('aria-label', 'Name of clip ' + (i + 1) + ', ' + entry.file.name);
    input.addEventListener('keydown', (e) => { if (e.key === 'Enter') renameClip(i, input.value); });
    input.addEventListener('change', () => renameClip(i, input.value));
    const remove = document.createElement('button');
    remove.type = 'button';
    remove.className = 'remove';
    remove.textContent = 'Remove';
    remove.setAttribute('aria-label', 'Remove clip ' + (i + 1) + ', ' + entry.file.name);
    remove.addEventListener('click', () => removeClip(i));
    const figures = document.createElement('span');
    figures.className = 'figures-line';
    const refused = result && result.refusedClip === i;
    let said = '\u2026';
    if (made && made.count) said = clipFigures(made.count, made.rate) + (refused ? ', refused' : '');
    else if (result) said = refused ? 'refused' : 'not made';
    figures.textContent = entry.file.name + ': ' + said;
    row.append(input, remove, figures);
    if (made && made.decoded) {
      const link = document.createElement('a');
      link.className = 'decoded';
      link.href = blobUrl(made.decoded.wav);
      link.download = made.decoded.name;
      link.textContent = 'Download ' + made.decoded.name;
      row.append(link);
    }
    if (refused) row.dataset.refused = 'yes';
    bankList.append(row);
  });
  if (focused >= 0) bankList.querySelectorAll('input, button')[focused]?.focus();
}

function clipFigures(count, rate) {
  return formatNumber(count) + ' samples, ' + (rate ? (count / rate).toFixed(3) + ' s at ' + rate + ' Hz'
                                                     : UNKNOWN_LENGTH);
}

function showBank(mine, result, startedAt) {
  shown = {result, run: mine};
  download.href = blobUrl(result.text);
  download.download = result.outputName;
  download.textContent = 'Download ' + result.outputName;
  const {count, bytes, clips} = result;
  const seconds = clips.reduce((sum, c) => sum + (c.rate ? c.count / c.rate : 0), 0);
  $('sample-count').textContent = formatNumber(count);
  $('duration').textContent = clips.length + (clips.length === 1 ? ' clip, ' : ' clips, ') + seconds.toFixed(3) +
      ' s in all';
  $('flash').textContent = formatNumber(bytes) + (result.adpcm ? ' bytes of IMA ADPCM' : ' bytes of samples');
  fitLine.textContent = result.fitText;
  fitLine.dataset.fits = result.fits ? 'yes' : 'no';
  // Play is one clip's; the bank's waveform is its clips one after another.
  playButton.hidden = true;
  canvas.setAttribute('aria-label', 'Waveform of the bank\'s clips, one after another');
  resultBox.hidden = false;
  drawWave();
  if (result.headLength < result.textSize) {
    sourceNote.textContent = 'Showing the first ' + formatNumber(result.headLength) + ' of ' +
        formatNumber(result.textSize) + ' bytes; the download holds the whole text.';
  }
  showText(result.head);
  stateLine.dataset.elapsedMs = (performance.now() - startedAt).toFixed(1);
  setState('done', 'Bank made: ' + clips.length + (clips.length === 1 ? ' clip.' : ' clips.'), mine,
      formatNumber(count) + ' samples, ' + seconds.toFixed(3) + ' s in all. ' + result.fitText);
}

// The text in blocks of a few hundred lines: the browser lays out only the
// blocks in view (content-visibility), so a long text shows as fast as a
// short one; the whole of it is in the page, to scroll, select and find.
const LINES_PER_BLOCK = 256;

function showText(text) {
  source.textContent = '';
  let from = 0;
  while (from < text.length) {
    let to = from, lines = 0;
    while (lines < LINES_PER_BLOCK && to < text.length) {
      const end = text.indexOf('\n', to);
      to = end < 0 ? text.length : end + 1;
      lines++;
    }
    const block = document.createElement('span');
    block.className = 'block';
    block.style.containIntrinsicBlockSize = 'auto ' + (lines * 1.45) + 'em';
    block.textContent = text.slice(from, to);
    source.appendChild(block);
    from = to;
  }
}

// --- Page state --------------------------------------------------------------------

function setState(state, text, mine, figures = '') {
  stateLine.dataset.state = state;
  stateLine.dataset.run = String(mine);
  stateLine.textContent = text;
  if (figures) {
    const spoken = document.createElement('span');
    spoken.className = 'spoken';
    spoken.textContent = ' ' + figures;
    stateLine.appendChild(spoken);
  }
}

function showProgress(mine, value, phase) {
  if (mine !== run) return;
  progressBar.value = value;
  progressBar.textContent = value + ' %';
  stateLine.textContent = phase + ' ' + working + '\u2026';
}

function clearResult() {
  stop();
  blobUrls.forEach((url) => URL.revokeObjectURL(url));
  blobUrls = [];
  shown = null;
  for (const box of [messageBox, noticeBox, preparedLine, source, sourceNote, actionNote, fitLine]) {
    box.textContent = '';
  }
  delete fitLine.dataset.fits;
  progressBar.value = 0;
  for (const link of [download, clipDownload]) {
    link.removeAttribute('href');
    link.removeAttribute('download');
  }
  clipDownload.hidden = true;
  resultBox.hidden = true;
}

function blobUrl(blob) {
  const url = URL.createObjectURL(blob);
  blobUrls.push(url);
  return url;
}

function formatNumber(n) {
  return n.toLocaleString('en-US');
}

// --- Waveform ----------------------------------------------------------------------

// One vertical stroke per pixel column from its lowest to its highest
// sample; 0 at the bottom, 255 at the top. The worker's outline holds the
// extremes of at most a few thousand columns; each pixel takes those of
// the columns it covers.
function drawWave() {
  if (!shown) return;
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
  canvas.width = width;
  canvas.height = height;
  const g = canvas.getContext('2d'), style = getComputedStyle(canvas);
  g.clearRect(0, 0, width, height);
  g.fillStyle = style.getPropertyValue('--axis') || '#999';
  g.fillRect(0, Math.round(height / 2), width, Math.max(1, Math.round(ratio)));
  const {low, high} = shown.result.outline, n = low.length;
  if (n === 0) return;
  g.fillStyle = style.color;
  const scale = (height - 1) / 255;
  for (let x = 0; x < width; x++) {
    const from = Math.floor(x * n / width), to = Math.max(from + 1, Math.floor((x + 1) * n / width));
    if (from >= n) break;
    let lo = 255, hi = 0;
    for (let i = from; i < to && i < n; i++) {
      if (low[i] < lo) lo = low[i];
      if (high[i] > hi) hi = high[i];
    }
    g.fillRect(x, (255 - hi) * scale, 1, Math.max(1, (hi - lo) * scale));
  }
}

// --- Play and copy -----------------------------------------------------------------

function canPlay(rate) {
  return rate >= 3000 && rate <= 768000;
}

function stop() {
  if (!player) return;
  const old = player;
  player = null;
  old.node.onended = null;
  try { old.node.stop(); } catch (e) { /* already ended */ }
  old.context.close();
  playButton.textContent = 'Play';
  delete playButton.dataset.playing;
}

// Plays the 8-bit samples at the clip's rate, as the firmware would. The
// worker turns them into floats, so a long clip does not hold up the page.
async function play() {
  if (player) return stop();
  if (!shown || !canPlay(shown.result.rate) || shown.result.count === 0) return;
  const mine = shown.run;
  // The context is made at the click, where the browser allows sound.
  const context = new AudioContext();
  player = {context, node: {stop() {}}};
  playButton.textContent = 'Stop';
  const msg = await new Promise((resolve) => {
    worker.handlers.set('pcm-' + mine, resolve);
    worker.postMessage({op: 'pcm', id: mine});
  });
  worker.handlers.delete('pcm-' + mine);
  if (!player || player.context !== context || !msg.floats) return;
  const buffer = context.createBuffer(1, msg.floats.length, msg.rate);
  buffer.copyToChannel(msg.floats, 0);
  const node = context.createBufferSource();
  node.buffer = buffer;
  node.connect(context.destination);
  node.onended = stop;
  player.node = node;
  node.start();
  playButton.dataset.playing = 'yes';
}

async function copyText() {
  if (!shown) return;
  const text = await shown.result.text.text();
  try {
    await navigator.clipboard.writeText(text);
    actionNote.textContent = 'Copied the whole text.';
  } catch (error) {
    actionNote.textContent = copyByCommand(text) ? 'Copied the whole text.'
                                                 : 'Copying is not allowed here; use the download.';
  }
}

// The older way to copy, where the clipboard API is refused (file://).
function copyByCommand(text) {
  const area = document.createElement('textarea');
  area.value = text;
  area.setAttribute('readonly', '');
  area.style.position = 'fixed';
  area.style.opacity = '0';
  document.body.appendChild(area);
  area.select();
  let ok = false;
  try { ok = document.execCommand('copy'); } catch (e) { ok = false; }
  document.body.removeChild(area);
  copyButton.focus();
  return ok;
}

// --- Wiring ------------------------------------------------------------------------

clipInput.addEventListener('change', () => {
  if (clipInput.files) chooseFiles([...clipInput.files]);
});
addButton.addEventListener('click', () => addInput.click());
addInput.addEventListener('change', () => {
  const files = addInput.files ? [...addInput.files] : [];
  addInput.value = '';
  addFiles(files);
});
// The bank's name, like a clip's, is taken on Enter or on leaving the field.
let bankUsed = bankInput.value;
const takeBank = () => {
  if (bank && bankInput.value !== bankUsed) {
    bankUsed = bankInput.value;
    startBank(performance.now());
  }
};
bankInput.addEventListener('keydown', (e) => { if (e.key === 'Enter') takeBank(); });
bankInput.addEventListener('change', takeBank);
function showBankName() {
  $('bank-shown').textContent = bankInput.value || 'bank';
  $('bank-table').textContent = bankInput.value || 'bank';
}
bankInput.addEventListener('input', showBankName);
for (const control of [signedBox, targetSelect, encodingSelect, rateSelect, normalizeBox, trimBox, ownRatesBox]) {
  control.addEventListener('change', rerun);
}
// A name is taken when it is complete: on Enter or on leaving the field.
const takeName = () => {
  if (chosenFile && nameInput.value !== usedName) start(chosenFile, nameInput.value, performance.now());
};
nameInput.addEventListener('keydown', (e) => {
  if (e.key === 'Enter') takeName();
});
nameInput.addEventListener('change', takeName);
nameInput.addEventListener('input', () => { nameShown.textContent = nameInput.value; });
cancelButton.addEventListener('click', cancel);

const drop = $('drop');
document.addEventListener('dragover', (e) => {
  e.preventDefault();
  drop.classList.add('over');
});
document.addEventListener('dragleave', (e) => {
  if (!e.relatedTarget) drop.classList.remove('over');
});
document.addEventListener('drop', (e) => {
  e.preventDefault();
  drop.classList.remove('over');
  const files = e.dataTransfer && e.dataTransfer.files;
  if (files && files.length) chooseFiles([...files]);
});

playButton.addEventListener('click', play);
copyButton.addEventListener('click', copyText);
window.addEventListener('resize', drawWave);

startWorker().catch(loadFailed);
