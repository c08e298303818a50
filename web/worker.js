// SPDX-License-Identifier: MIT
// The page's worker: it runs the WebAssembly core (clip2c-core.js, which the
// page puts in front of this script in one blob: URL) off the main thread.
// It hands the chosen file to the engine's one-clip flow (clip2c_make_clip),
// which names, notes, converts and prepares it, and reads the result as the
// core's JSON summary and the blocks it names; the worker adds the
// waveform's outline and hands back only what the page needs to show: the
// text as a Blob, its beginning, the figures. A sound the engine does not read (MP3, OGG, FLAC,
// a WAV file that is not PCM) needs the browser's decoder, which needs an
// audio context, which only the page has; the worker asks for it.
//
// A bank (several files in one header) is the engine's too (clip2c_bank_*,
// over makeBank). When the engine meets a file in it that only the browser
// decodes, that file and every later one the engine does not read are
// decoded, the bank takes their decoded sound (clip2c_bank_decoded) and is
// made once more.
//
// With the encoding 'ima-adpcm' the engine prepares every clip to 16 bits
// and encodes it; the array's bytes are then no samples, so the waveform
// and Play take the samples the core decodes them to.
//
// Messages in:  {op: 'run', id, bytes, fileName, name, signed, target, encoding, rate, normalize, trim,
//                forcePrepare}
//               {op: 'bank', id, bank, clips: [{bytes, fileName, name}], signed, target, encoding, rate, ownRates,
//                normalize, trim}
//               {op: 'decoded', id, channels: [Float32Array] | null}
//               {op: 'pcm', id}
// Messages out: {op: 'ready', texts} once, then for a run: {op: 'progress', id, value, phase},
//               {op: 'decode', id, bytes, rate} at most once (the file's bytes handed back, to decode at rate), {op: 'done', id, result}, or {op: 'failed', id, error}
//               (a bank: one 'decode' for each file only the browser decodes, one at a time)
'use strict';

// Texts longer than this are shown cut at a line end; the download always
// holds the whole text.
const SHOWN_BYTES = 256 * 1024;
// The waveform's outline: at most this many columns of lowest and highest
// sample, which the page spreads over its canvas.
const OUTLINE_COLUMNS = 4096;

let core = null;
let texts = null;
let flags = null;  // the bits of a request's flags by name (clip2c_flags)
let statusByKey = {};
let current = null;  // {id, samples, rate} of the last run, for Play (Int16Array samples for IMA ADPCM)
const waiting = new Map();  // id -> resolve, for a decode the page does

// --- The engine's one flow --------------------------------------------------------

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

// The same with `text` as a NUL-terminated UTF-8 string; use(0) for null.
function withString(text, use) {
  return text === null ? use(0) : withBytes(encoder.encode(text + '\0'), use);
}

// The same with decoded planar channels: use(ptr, channelCount, frames).
function withPlanar(channels, use) {
  const frames = channels[0].length;
  const planar = core._clip2c_alloc(channels.length * frames * 4);
  if (!planar) return null;
  try {
    channels.forEach((data, c) => core.HEAPF32.set(data, (planar >>> 2) + c * frames));
    return use(planar, channels.length, frames);
  } finally {
    core._clip2c_release(planar);
  }
}

function heapBytes(ptr, length) {
  ptr >>>= 0;
  return core.HEAPU8.subarray(ptr, ptr + length);
}

// The block a summary's buffer `ref` ({buffer, length}) names, still in the
// module's memory: `bufferOf` is clip2c_clip_buffer or clip2c_bank_buffer.
function block(bufferOf, handle, ref) {
  return heapBytes(bufferOf(handle, ref.buffer), ref.length);
}

// The samples a clip sounds as, copied out: its bytes for 8-bit PCM, the
// decoded 16-bit samples for IMA ADPCM.
function sound(bufferOf, handle, ref) {
  const bytes = block(bufferOf, handle, ref).slice();
  return ref.bits === 16 ? new Int16Array(bytes.buffer) : bytes;
}

// A text as a Blob of its bytes and its beginning, cut at a line end, as a
// string to show.
function shownText(bytes) {
  let shown = bytes.length;
  if (shown > SHOWN_BYTES) shown = bytes.lastIndexOf(10, SHOWN_BYTES - 1) + 1;
  return {text: new Blob([bytes], {type: 'text/plain'}), head: decoder.decode(bytes.subarray(0, shown)),
    headLength: shown};
}

function flagsOf(msg) {
  return (msg.normalize ? flags.normalize : 0) | (msg.trim ? flags.trim : 0) |
    (msg.forcePrepare ? flags.forcePrepare : 0);
}

// A clip handle and its summary: {handle, s}; null for no handle.
function clipOf(handle) {
  return handle ? {handle, s: JSON.parse(core.UTF8ToString(core._clip2c_clip_summary(handle)))} : null;
}

function freeClip(clip) {
  if (clip) core._clip2c_clip_free(clip.handle);
}

// The engine's clip of the file (clip2c_make_clip); null when the module
// cannot hold the file.
function makeClip(bytes, msg) {
  return clipOf(withBytes(bytes, (data) => withString(msg.fileName, (file) => withString(msg.name, (name) =>
    withString(msg.target, (target) => withString(msg.encoding, (encoding) =>
      core._clip2c_make_clip(data, bytes.length, file, name, msg.signed ? 1 : 0, target, encoding, msg.rate,
          flagsOf(msg))))))));
}

// A clip that needed a decoder finished from the decoded planar channels;
// null when the module cannot hold them.
function makeDecodedClip(first, channels) {
  return clipOf(withPlanar(channels, (planar, count, frames) =>
    core._clip2c_make_decoded_clip(first.handle, planar, count, frames)));
}

// What the page shows of a made clip: its text (shownText), names and
// figures; `samples` are what the clip sounds as (sound), `bytes` the
// array's bytes.
function madeClip({handle, s}) {
  const bufferOf = core._clip2c_clip_buffer;
  const r = Object.assign(shownText(block(bufferOf, handle, s.text)), {
    outputName: s.outputName, arrayName: s.arrayName, bytes: s.bytes, samples: sound(bufferOf, handle, s.sound),
    rate: s.rate, fits: s.fits, fitText: s.fitText, prepared: null,
  });
  if (s.preparedWave.length) {
    r.prepared = {what: s.what, wav: new Blob([block(bufferOf, handle, s.preparedWave)], {type: 'audio/wav'}),
      name: s.preparedName};
  }
  return r;
}

// A new engine's bank (clip2c_bank_new) of `clips` ([{bytes, fileName,
// name}]) with the options of `msg`, the files copied into it; null when
// the module cannot hold them. With msg.ownRates the bank's rate is 0: each
// WAV file keeps its own rate and a raw clip plays at 8000 Hz.
function newBank(clips, msg) {
  const bank = withString(msg.bank, (name) => withString(msg.target, (target) => withString(msg.encoding,
    (encoding) => core._clip2c_bank_new(name, msg.signed ? 1 : 0, target, encoding, msg.ownRates ? 0 : msg.rate,
        flagsOf({normalize: msg.normalize, trim: msg.trim})))));
  if (!bank) return null;
  for (const clip of clips) {
    // The block is the bank's from here on: clip2c_bank_free releases it.
    const block = core._clip2c_alloc(clip.bytes.length);
    if (!block) {
      core._clip2c_bank_free(bank);
      return null;
    }
    core.HEAPU8.set(clip.bytes, block);
    withString(clip.fileName, (file) => withString(clip.name, (name) =>
      core._clip2c_bank_add(bank, block, clip.bytes.length, file, name)));
  }
  return bank;
}

// Makes the bank of its files as they are now (clip2c_bank_make); its summary.
function makeBank(bank) {
  core._clip2c_bank_make(bank);
  return JSON.parse(core.UTF8ToString(core._clip2c_bank_summary(bank)));
}

// The clips the bank made, in order: each one's name in the bank, figures
// and samples (as madeClip's).
function bankClips(bank, s) {
  return s.clips.map((c) => ({name: c.name, bytes: c.bytes, rate: c.rate,
    samples: sound(core._clip2c_bank_buffer, bank, c.sound)}));
}

// The file `clip` at `index` in the bank, when the engine does not read it,
// decoded by the page at `msg.rate` and handed to the bank
// (clip2c_bank_decoded), which makes the engine's 8-bit mono WAV file of
// it, or for IMA ADPCM its 16-bit one, as the clip alone is made:
// {what, name, notes}, the name of that WAV file. Else why the bank cannot
// take it, should the bank meet it: {refused: status, notes}.
async function decodeForBank(id, bank, index, clip, msg) {
  const first = makeClip(clip.bytes, {fileName: clip.fileName, name: clip.name, signed: false, target: 'c',
    rate: msg.rate, normalize: false, trim: false, forcePrepare: true, encoding: msg.encoding});
  if (!first) return {refused: statusByKey['out-of-memory'], notes: []};
  let made = null;
  try {
    const notes = first.s.notes.concat(first.s.notWave ? [texts.notices['not-wav']] : []);
    if (first.s.outcome !== 'needs-decoder') return {refused: first.s.status, notes};
    const channels = await askToDecode(id, clip.bytes, first.s.prepareRate);
    if (!channels) return {refused: first.s.status, notes};
    made = makeDecodedClip(first, channels);
    if (!made || made.s.outcome !== 'made') {
      return {refused: made ? made.s.status : statusByKey['out-of-memory'], notes: []};
    }
    const held = withPlanar(channels, (planar, count, frames) => withString(made.s.preparedName, (file) =>
      core._clip2c_bank_decoded(bank, index, planar, count, frames, first.s.prepareRate, file)));
    if (!held) return {refused: statusByKey['out-of-memory'], notes: []};
    return {what: made.s.what, name: made.s.preparedName, notes: first.s.notes};
  } finally {
    freeClip(made);
    freeClip(first);
  }
}

// The bank the engine makes of the files. When it meets a file only the
// browser decodes, that file and every later one the engine does not read
// either are decoded first, and the bank is made once more of them all.
async function runBank(msg) {
  const {id} = msg;
  const clips = msg.clips.map((c) => ({bytes: new Uint8Array(c.bytes), fileName: c.fileName, name: c.name}));
  progress(id, 20, 'Converting');
  const bank = newBank(clips, msg);
  if (!bank) return bankRefusal(id, {en: texts.statuses.find((s) => s.key === 'out-of-memory').en, clips: []});
  try {
    let s = makeBank(bank);
    const decoded = [];  // by index: what decodeForBank made of a file
    if (s.refusal === 'needs-decoder') {
      progress(id, 50, 'Decoding');
      for (let i = s.refusedClip; i < clips.length; i++) decoded[i] = await decodeForBank(id, bank, i, clips[i], msg);
      progress(id, 20, 'Converting');
      s = makeBank(bank);
    }
    const failed = s.refusal === 'needs-decoder' ? decoded[s.refusedClip] : undefined;
    if (failed && failed.refused !== undefined) {
      const clip = clips[s.refusedClip];
      return bankRefusal(id, {en: s.refusalText + ' Your browser cannot decode it as sound either.',
        refusedClip: s.refusedClip, clips: [],
      notes: failed.notes.map((n) => clip.fileName + ': ' + n)});
    }
    if (s.refusal !== 'none') {
      return bankRefusal(id, {en: s.refusalText, refusedClip: s.refusedClip, clips: bankClips(bank, s),
        notes: s.notes});
    }
    return finishBank(id, msg, bank, s, clips, decoded);
  } finally {
    core._clip2c_bank_free(bank);
  }
}

function finishBank(id, msg, bank, s, clips, decoded) {
  current = null;
  const made = bankClips(bank, s), text = shownText(block(core._clip2c_bank_buffer, bank, s.text));
  // Every clip of a bank has the bank's encoding.
  const wide = made.some((c) => c.samples instanceof Int16Array);
  const all = new (wide ? Int16Array : Uint8Array)(made.reduce((n, c) => n + c.samples.length, 0));
  made.reduce((at, c) => { all.set(c.samples, at); return at + c.samples.length; }, 0);
  // A decoded clip's own notes come first: the bank's are of its WAV file.
  const taken = (i) => decoded[i] && decoded[i].refused === undefined;
  const said = [];
  clips.forEach((c, i) => {
    if (!taken(i)) return;
    said.push(...decoded[i].notes.map((n) => c.fileName + ': ' + n));
    said.push(c.fileName + ': decoded by your browser (' + decoded[i].what + ') and made from ' +
      decoded[i].name + ', which the page offers.');
  });
  postMessage({op: 'done', id, result: {
    converted: true, bank: true, notices: said.concat(s.notes),
    text: text.text, head: text.head, headLength: text.headLength, textSize: text.text.size,
    outputName: msg.bank + '.h', count: all.length, bytes: made.reduce((n, c) => n + c.bytes, 0), adpcm: wide,
    fits: s.fits, fitText: s.fitText,
    clips: made.map((c, i) => ({name: c.name, count: c.samples.length, rate: c.rate,
      decoded: taken(i) ? {name: decoded[i].name, wav: new Blob([block(core._clip2c_bank_buffer, bank,
        s.decodedWaves[i])], {type: 'audio/wav'})} : null})),
    outline: outline(all),
  }});
}

function bankRefusal(id, {en, refusedClip = -1, clips, notes: said = []}) {
  current = null;
  postMessage({op: 'done', id, result: {converted: false, bank: true, en, ja: '', refusedClip, notices: said,
    clips: clips.map((c) => ({name: c.name, count: c.samples.length, rate: c.rate, decoded: null}))}});
}

// --- The waveform's outline --------------------------------------------------------

// 16-bit samples are drawn as the 8-bit values a player outputs, (s >> 8) + 128.
function outline(samples) {
  const wide = samples instanceof Int16Array;
  const n = samples.length, columns = Math.min(n, OUTLINE_COLUMNS);
  const low = new Uint8Array(columns), high = new Uint8Array(columns);
  for (let x = 0; x < columns; x++) {
    const from = Math.floor(x * n / columns), to = Math.max(from + 1, Math.floor((x + 1) * n / columns));
    let lo = 255, hi = 0;
    for (let i = from; i < to; i++) {
      const v = wide ? (samples[i] >> 8) + 128 : samples[i];
      if (v < lo) lo = v;
      if (v > hi) hi = v;
    }
    low[x] = lo;
    high[x] = hi;
  }
  return {low, high};
}

// --- One run ------------------------------------------------------------------------

function progress(id, value, phase) {
  postMessage({op: 'progress', id, value, phase});
}

// Hands the file's bytes back to the page to decode (the worker needs them
// no more), so that the page holds no second copy of a long file.
function askToDecode(id, bytes, rate) {
  return new Promise((resolve) => {
    waiting.set(id, resolve);
    postMessage({op: 'decode', id, bytes: bytes.buffer, rate}, [bytes.buffer]);
  });
}

// The clip the engine makes of the file; only a sound the engine does not
// read goes through the browser's decoder.
async function run(msg) {
  const {id} = msg;
  const bytes = new Uint8Array(msg.bytes);
  progress(id, 20, 'Converting');
  const first = makeClip(bytes, msg);
  if (!first) return refusal(id, {name: msg.name || '', status: statusByKey['out-of-memory'], notices: []});
  const name = first.s.name;
  let clip = first;
  try {
    if (first.s.outcome === 'needs-decoder') {
      const channels = await askToDecode(id, bytes, first.s.prepareRate);
      if (!channels) {
        const said = first.s.notes.concat(first.s.notWave ? [texts.notices['not-wav']] : []);
        return refusal(id, {name, status: first.s.status, notices: said, undecodable: true, en: first.s.refusal});
      }
      progress(id, 70, 'Preparing');
      clip = makeDecodedClip(first, channels);
      if (!clip) return refusal(id, {name, status: statusByKey['out-of-memory'], notices: first.s.notes});
    }
    if (clip.s.outcome !== 'made') return refusal(id, {name, status: clip.s.status, notices: clip.s.notes});
    return finish(id, {name, result: madeClip(clip), notices: clip.s.notes, offer: clip.s.rateOffer});
  } finally {
    if (clip !== first) freeClip(clip);
    freeClip(first);
  }
}

function finish(id, {name, result, notices, offer}) {
  current = {id, samples: result.samples, rate: result.rate};
  postMessage({op: 'done', id, result: {
    converted: true, name, notices, offer, prepared: result.prepared,
    text: result.text, head: result.head, headLength: result.headLength, textSize: result.text.size,
    outputName: result.outputName, arrayName: result.arrayName, count: result.samples.length, bytes: result.bytes,
    rate: result.rate,
    fits: result.fits, fitText: result.fitText, outline: outline(result.samples),
  }});
}

function refusal(id, {name, status, notices, undecodable = false, en = ''}) {
  current = null;
  const entry = texts.statuses.find((s) => s.status === status) || {ja: '', en: 'Not converted (status ' + status + ').'};
  // An empty file has its words in the notices; the tool itself says nothing.
  const silent = status === statusByKey.unreadable;
  postMessage({op: 'done', id, result: {
    converted: false, name, notices, ja: silent ? '' : entry.ja.replace(/\n$/, ''),
    en: silent ? '' : en || entry.en, undecodable,
  }});
}

// The last result's samples as the floats Play hands to an audio buffer.
function pcm(id) {
  if (!current || current.id !== id) return postMessage({op: 'pcm', id, floats: null});
  const samples = current.samples, floats = new Float32Array(samples.length);
  if (samples instanceof Int16Array) {
    for (let i = 0; i < samples.length; i++) floats[i] = samples[i] / 32768;
  } else {
    for (let i = 0; i < samples.length; i++) floats[i] = (samples[i] - 128) / 128;
  }
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
  } else if (msg.op === 'run' || msg.op === 'bank') {
    (msg.op === 'run' ? run : runBank)(msg).catch((error) => postMessage({op: 'failed', id: msg.id,
      outOfMemory: error instanceof WebAssembly.RuntimeError || error instanceof RangeError,
      error: String(error && error.message ? error.message : error)}));
  }
};

createClip2cCore().then((module) => {
  core = module;
  texts = JSON.parse(core.UTF8ToString(core._clip2c_texts()));
  flags = JSON.parse(core.UTF8ToString(core._clip2c_flags()));
  texts.statuses.forEach((s) => { statusByKey[s.key] = s.status; });
  postMessage({op: 'ready', texts});
}, (error) => postMessage({op: 'failed', id: 0, error: String(error && error.message ? error.message : error)}));
