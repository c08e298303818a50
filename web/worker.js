// SPDX-License-Identifier: MIT
// The page's worker: it runs the WebAssembly core (clip2c-core.js, which the
// page puts in front of this script in one blob: URL) off the main thread.
// It converts and prepares a clip, writes the notes the page shows and the
// waveform's outline, and hands back only what the page needs to show: the
// text as a Blob, its beginning, the figures. Decoding other formats needs
// an audio context, which only the page has; the worker asks for it.
//
// Messages in:  {op: 'run', id, bytes, fileName, name, signed, target, rate, normalize, trim, forcePrepare}
//               {op: 'decoded', id, channels: [Float32Array] | null}
//               {op: 'pcm', id}
// Messages out: {op: 'ready', texts} once, then for a run: {op: 'progress', id, value, phase},
//               {op: 'decode', id, bytes} at most once (the file's bytes handed back), {op: 'done', id, result}, or {op: 'failed', id, error}
'use strict';

const TARGETS = {c: 0, firmware: 1, progmem: 2, flash: 3};
const NORMALIZE = 1, TRIM = 2;
// Texts longer than this are shown cut at a line end; the download always
// holds the whole text.
const SHOWN_BYTES = 256 * 1024;
// The waveform's outline: at most this many columns of lowest and highest
// sample, which the page spreads over its canvas.
const OUTLINE_COLUMNS = 4096;

let core = null;
let texts = null;
let statusByKey = {};
let current = null;  // {id, samples, rate} of the last run, for Play
const waiting = new Map();  // id -> resolve, for a decode the page does

// --- One small wrapper per core call -------------------------------------------

const encoder = new TextEncoder(), decoder = new TextDecoder();

// Runs use(ptr) with `bytes` copied into the module's memory, and releases
// them after; null when the module cannot hold them.
function withBytes(bytes, use) {
  const ptr = core._clip2c_alloc(bytes.length);
  if (!ptr) return null;
  try {
    core.HEAPU8.set(bytes, ptr);
    return use(ptr);
  } finally {
    core._clip2c_release(ptr);
  }
}

// The same with `text` as a NUL-terminated UTF-8 string.
function withString(text, use) {
  return withBytes(encoder.encode(text + '\0'), use);
}

function heapBytes(ptr, length) {
  ptr >>>= 0;
  return core.HEAPU8.subarray(ptr, ptr + (length >>> 0));
}

// The bytes a Bytes handle holds, copied out, and the handle freed; null for
// a null handle.
function takeBytes(handle) {
  if (!handle) return null;
  try {
    return heapBytes(core._clip2c_bytes_data(handle), core._clip2c_bytes_length(handle)).slice();
  } finally {
    core._clip2c_bytes_free(handle);
  }
}

// A name a core call hands back as a Bytes handle.
function takeName(handle) {
  const bytes = takeBytes(handle);
  return bytes && decoder.decode(bytes);
}

function clipName(fileName) { return withString(fileName, (p) => takeName(core._clip2c_clip_name(p))); }
function proposeName(name) { return withString(name, (p) => takeName(core._clip2c_propose_name(p))); }
function givesIdentifier(name) { return withString(name, (p) => core._clip2c_gives_identifier(p)) === 1; }

// The name the tool would see for the chosen file renamed to `name`: the
// name followed by the extension that classified the file, or the file's
// own name when none does.
function convertName(fileName, name) {
  return withString(fileName, (f) => withString(name, (n) => takeName(core._clip2c_convert_name(f, n))));
}

// Converts as the tool converts a file called `name`, and writes the text
// for `target`. The text comes back as a Blob of its bytes and its
// beginning, cut at a line end, as a string to show.
function convert(bytes, name, options) {
  const handle = withBytes(bytes, (data) => withString(name, (namePtr) =>
    core._clip2c_convert(data, bytes.length, namePtr, options.signed ? 1 : 0, TARGETS[options.target],
        options.rate)));
  if (!handle) return {status: statusByKey['out-of-memory']};
  try {
    const r = {
      status: core._clip2c_result_status(handle),
      fileRate: core._clip2c_result_sample_rate(handle) >>> 0,
      promised: core._clip2c_result_data_promised(handle) >>> 0,
      held: core._clip2c_result_data_held(handle) >>> 0,
      riffWave: core._clip2c_result_riff_wave(handle) === 1,
      channels: core._clip2c_result_source_channels(handle) >>> 0,
      bits: core._clip2c_result_source_bits(handle) >>> 0,
      sourceRate: core._clip2c_result_source_rate(handle) >>> 0,
      isRaw: core._clip2c_result_is_raw(handle) === 1,
    };
    if (r.status !== statusByKey.converted) return r;
    const text = heapBytes(core._clip2c_result_text(handle), core._clip2c_result_text_length(handle));
    let shown = text.length;
    if (shown > SHOWN_BYTES) shown = text.lastIndexOf(10, SHOWN_BYTES - 1) + 1;
    r.text = new Blob([text], {type: 'text/plain'});
    r.head = decoder.decode(text.subarray(0, shown));
    r.headLength = shown;
    r.outputName = core.UTF8ToString(core._clip2c_result_output_name(handle));
    r.samples = heapBytes(core._clip2c_result_samples(handle), core._clip2c_result_sample_count(handle)).slice();
    r.rate = r.fileRate;
    r.fits = core._clip2c_result_fits(handle) === 1;
    r.fitText = core.UTF8ToString(core._clip2c_result_fit_text(handle));
    return r;
  } finally {
    core._clip2c_result_free(handle);
  }
}

// An 8-bit mono WAV file prepared by the core alone from a raw clip or a
// PCM WAV file at `rate`; null when only a decoder can give it.
function prepareExact(bytes, isRaw, rate, flags) {
  const call = isRaw ? core._clip2c_prepare_raw : core._clip2c_prepare_wave;
  return withBytes(bytes, (data) => takeBytes(call(data, bytes.length, rate, flags)));
}

// Decoded planar channels as an 8-bit mono WAV file at `rate`.
function prepareDecoded(channels, rate, flags) {
  const frames = channels[0].length;
  const planar = core._clip2c_alloc(channels.length * frames * 4);
  if (!planar) return null;
  try {
    channels.forEach((data, c) => core.HEAPF32.set(data, (planar >>> 2) + c * frames));
    return takeBytes(core._clip2c_prepare(planar, channels.length, frames, rate, flags));
  } finally {
    core._clip2c_release(planar);
  }
}

// --- Words -------------------------------------------------------------------------

function fill(key, values) {
  return texts.notices[key].replace(/\{(\w+)\}/g, (all, name) =>
    (name in values ? String(values[name]) : all));
}

function formatNumber(n) {
  return n.toLocaleString('en-US');
}

function channelWord(n) {
  return n === 1 ? 'mono' : n === 2 ? 'stereo' : n + '-channel';
}

// A WAV file's format as the chunk walk reads it, e.g. "16-bit stereo 44100 Hz".
function describeWave(r) {
  return r.bits + '-bit ' + channelWord(r.channels) + ' ' + r.sourceRate + ' Hz';
}

function containerName(bytes, fileName) {
  const head = String.fromCharCode.apply(null, bytes.subarray(0, 4));
  if (head === 'OggS') return 'OGG';
  if (head === 'fLaC') return 'FLAC';
  if (head.slice(0, 3) === 'ID3' || (bytes[0] === 0xFF && (bytes[1] & 0xE0) === 0xE0)) return 'MP3';
  if (head === 'RIFF') return 'WAV';
  const dot = fileName.lastIndexOf('.');
  const ext = dot >= 0 ? fileName.slice(dot + 1) : '';
  return /^[A-Za-z0-9]{1,5}$/.test(ext) ? ext.toUpperCase() : 'decoded';
}

// --- The waveform's outline --------------------------------------------------------

function outline(samples) {
  const n = samples.length, columns = Math.min(n, OUTLINE_COLUMNS);
  const low = new Uint8Array(columns), high = new Uint8Array(columns);
  for (let x = 0; x < columns; x++) {
    const from = Math.floor(x * n / columns), to = Math.max(from + 1, Math.floor((x + 1) * n / columns));
    let lo = 255, hi = 0;
    for (let i = from; i < to; i++) {
      const v = samples[i];
      if (v < lo) lo = v;
      if (v > hi) hi = v;
    }
    low[x] = lo;
    high[x] = hi;
  }
  return {low, high};
}

// --- One run: convert as it is, else prepare, else refuse ---------------------------

function progress(id, value, phase) {
  postMessage({op: 'progress', id, value, phase});
}

// Hands the file's bytes back to the page to decode (the worker needs them
// no more), so that the page holds no second copy of a long file.
function askToDecode(id, bytes) {
  return new Promise((resolve) => {
    waiting.set(id, resolve);
    postMessage({op: 'decode', id, bytes: bytes.buffer}, [bytes.buffer]);
  });
}

async function run(msg) {
  const {id, fileName} = msg;
  const bytes = new Uint8Array(msg.bytes);
  const options = {signed: msg.signed, target: msg.target, rate: msg.rate};
  const flags = (msg.normalize ? NORMALIZE : 0) | (msg.trim ? TRIM : 0);
  const notices = [];

  let name = msg.name;
  if (name === null) {
    const base = clipName(fileName);
    name = proposeName(base);
    if (name !== base) notices.push(fill('name-proposed', {file: base, name}));
  } else if (!givesIdentifier(name)) {
    notices.push(fill('name-not-identifier', {name}));
  }

  progress(id, 20, 'Converting');
  const toolName = convertName(fileName, name);
  const asIs = convert(bytes, toolName, options);
  const isRaw = asIs.isRaw;
  const isWave = !isRaw && asIs.status !== statusByKey['not-raw-or-wav'];
  if (asIs.held < asIs.promised) {
    notices.push(fill('cut-short', {held: formatNumber(asIs.held), promised: formatNumber(asIs.promised)}));
  }
  const wantsPrepare = flags !== 0 || msg.forcePrepare;
  if (asIs.status === statusByKey.converted && !wantsPrepare) {
    if (!isRaw && asIs.fileRate !== msg.rate) {
      notices.push(fill('rate-kept', {fileRate: asIs.fileRate, rate: msg.rate}));
    }
    return finish(id, {name, result: asIs, notices, offer: !isRaw && asIs.fileRate !== msg.rate});
  }
  const preparable = [statusByKey.converted, statusByKey['not-raw-or-wav'], statusByKey['not-mono'],
    statusByKey['not-eight-bit']];
  if (!preparable.includes(asIs.status)) {
    if (asIs.status === statusByKey.unreadable) notices.push(fill('empty', {}));
    return refusal(id, {name, status: asIs.status, notices});
  }
  if (asIs.status === statusByKey.converted && flags !== 0) notices.push(fill('prepared-on-request', {}));

  // A raw clip or PCM WAV at the chosen rate is the core's alone, exact at
  // every width; everything else goes through the browser's decoder.
  progress(id, 40, 'Preparing');
  let wav = prepareExact(bytes, isRaw, msg.rate, flags);
  let what;
  if (wav) {
    what = isRaw ? 'raw 8-bit' : describeWave(asIs);
  } else {
    const container = containerName(bytes, fileName);
    const channels = await askToDecode(id, bytes);
    if (!channels) {
      if (isWave && !asIs.riffWave) notices.push(fill('not-wav', {}));
      return refusal(id, {name, status: asIs.status, notices, undecodable: true});
    }
    progress(id, 70, 'Preparing');
    wav = prepareDecoded(channels, msg.rate, flags);
    what = asIs.channels ? describeWave(asIs) : container + ' ' + channelWord(channels.length);
  }
  if (!wav) return refusal(id, {name, status: statusByKey['out-of-memory'], notices});
  progress(id, 85, 'Writing the text');
  // Converted and offered under one name, so that the tool, given the
  // download, writes this very text.
  const wavName = name + '.wav';
  const prepared = convert(wav, wavName, options);
  if (prepared.status !== statusByKey.converted) return refusal(id, {name, status: prepared.status, notices});
  if (flags & TRIM && prepared.samples.length === 0) notices.push(fill('trimmed-to-nothing', {}));
  what += ' \u2192 8-bit mono ' + msg.rate + ' Hz' + (flags & NORMALIZE ? ', normalized' : '') +
      (flags & TRIM ? ', trimmed' : '');
  return finish(id, {name, result: prepared, notices,
    prepared: {what, wav: new Blob([wav], {type: 'audio/wav'}), name: wavName}});
}

function finish(id, {name, result, notices, prepared = null, offer = false}) {
  current = {id, samples: result.samples, rate: result.rate};
  postMessage({op: 'done', id, result: {
    converted: true, name, notices, offer, prepared,
    text: result.text, head: result.head, headLength: result.headLength, textSize: result.text.size,
    outputName: result.outputName, count: result.samples.length, rate: result.rate,
    fits: result.fits, fitText: result.fitText, outline: outline(result.samples),
  }});
}

function refusal(id, {name, status, notices, undecodable = false}) {
  current = null;
  const entry = texts.statuses.find((s) => s.status === status) || {ja: '', en: 'Not converted (status ' + status + ').'};
  // An empty file has its words in the notices; the tool itself says nothing.
  const silent = status === statusByKey.unreadable;
  postMessage({op: 'done', id, result: {
    converted: false, name, notices, ja: silent ? '' : entry.ja.replace(/\n$/, ''),
    en: silent ? '' : entry.en, undecodable,
  }});
}

// The last result's samples as the floats Play hands to an audio buffer.
function pcm(id) {
  if (!current || current.id !== id) return postMessage({op: 'pcm', id, floats: null});
  const samples = current.samples, floats = new Float32Array(samples.length);
  for (let i = 0; i < samples.length; i++) floats[i] = (samples[i] - 128) / 128;
  postMessage({op: 'pcm', id, floats, rate: current.rate}, [floats.buffer]);
}

// --- Wiring ------------------------------------------------------------------------

onmessage = (event) => {
  const msg = event.data;
  if (msg.op === 'decoded') {
    const resolve = waiting.get(msg.id);
    waiting.delete(msg.id);
    if (resolve) resolve(msg.channels);
  } else if (msg.op === 'pcm') {
    pcm(msg.id);
  } else if (msg.op === 'run') {
    run(msg).catch((error) => postMessage({op: 'failed', id: msg.id,
      outOfMemory: error instanceof WebAssembly.RuntimeError || error instanceof RangeError,
      error: String(error && error.message ? error.message : error)}));
  }
};

createClip2cCore().then((module) => {
  core = module;
  texts = JSON.parse(core.UTF8ToString(core._clip2c_texts()));
  texts.statuses.forEach((s) => { statusByKey[s.key] = s.status; });
  postMessage({op: 'ready', texts});
}, (error) => postMessage({op: 'failed', id: 0, error: String(error && error.message ? error.message : error)}));
