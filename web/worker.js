// SPDX-License-Identifier: MIT
// The page's worker: it runs the WebAssembly core (clip2c-core.js, which the
// page puts in front of this script in one blob: URL) off the main thread.
// It hands the chosen file to the engine's one-clip flow (clip2c_make_clip),
// which names, notes, converts and prepares it; the worker adds the
// waveform's outline and hands back only what the page needs to show: the
// text as a Blob, its beginning, the figures. A sound the engine does not read (MP3, OGG, FLAC,
// a WAV file that is not PCM) needs the browser's decoder, which needs an
// audio context, which only the page has; the worker asks for it.
//
// A bank (several files in one header) is the engine's too (clip2c_bank_*,
// over makeBank); a file in it that only the browser decodes is decoded
// first and enters the bank as the 8-bit mono WAV file its decoding gives.
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

const TARGETS = {c: 0, firmware: 1, progmem: 2, flash: 3};
// The flags of clip2c_make_clip and the outcomes of clip2c_clip_outcome.
const NORMALIZE = 1, TRIM = 2, FORCE_PREPARE = 4, IMA_ADPCM = 8;
const MADE = 0, NEEDS_DECODER = 2;
// clip2c_bank_refusal: made, and a clip only a decoder reads.
// The refusals from CLIP_REFUSED on are a clip's, whose index they give.
const BANK_MADE = 0, BANK_CLIP_REFUSED = 3, BANK_NEEDS_DECODER = 4;
// Texts longer than this are shown cut at a line end; the download always
// holds the whole text.
const SHOWN_BYTES = 256 * 1024;
// The waveform's outline: at most this many columns of lowest and highest
// sample, which the page spreads over its canvas.
const OUTLINE_COLUMNS = 4096;

let core = null;
let texts = null;
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

function heapBytes(ptr, length) {
  ptr >>>= 0;
  return core.HEAPU8.subarray(ptr, ptr + (length >>> 0));
}

// The engine's clip of the file (clip2c_make_clip) as a handle; null when
// the module cannot hold the file.
function makeClip(bytes, msg) {
  const flags = (msg.normalize ? NORMALIZE : 0) | (msg.trim ? TRIM : 0) | (msg.forcePrepare ? FORCE_PREPARE : 0) |
    encodingFlag(msg);
  return withBytes(bytes, (data) => withString(msg.fileName, (file) => withString(msg.name, (name) =>
    core._clip2c_make_clip(data, bytes.length, file, name, msg.signed ? 1 : 0, TARGETS[msg.target], msg.rate,
        flags))));
}

function encodingFlag(msg) {
  return msg.encoding === 'ima-adpcm' ? IMA_ADPCM : 0;
}

// A clip that needed a decoder finished from the decoded planar channels;
// null when the module cannot hold them.
function makeDecodedClip(first, channels) {
  const frames = channels[0].length;
  const planar = core._clip2c_alloc(channels.length * frames * 4);
  if (!planar) return null;
  try {
    channels.forEach((data, c) => core.HEAPF32.set(data, (planar >>> 2) + c * frames));
    return core._clip2c_make_decoded_clip(first, planar, channels.length, frames);
  } finally {
    core._clip2c_release(planar);
  }
}

// The decoded planar channels as the engine's 16-bit mono WAV file at
// `rate` (clip2c_sixteen_bit_wave); null when the module cannot hold it.
function sixteenBitWave(channels, rate) {
  const frames = channels[0].length;
  const planar = core._clip2c_alloc(channels.length * frames * 4);
  const length = core._clip2c_alloc(4);
  let wave = 0;
  try {
    if (!planar || !length) return null;
    channels.forEach((data, c) => core.HEAPF32.set(data, (planar >>> 2) + c * frames));
    wave = core._clip2c_sixteen_bit_wave(planar, channels.length, frames, rate, length);
    if (!wave) return null;
    const size = new DataView(core.HEAPU8.buffer, length >>> 0, 4).getUint32(0, true);
    return heapBytes(wave, size).slice();
  } finally {
    if (wave) core._clip2c_release(wave);
    if (length) core._clip2c_release(length);
    if (planar) core._clip2c_release(planar);
  }
}

function notes(handle) {
  const out = [];
  const count = core._clip2c_clip_note_count(handle) >>> 0;
  for (let i = 0; i < count; i++) out.push(core.UTF8ToString(core._clip2c_clip_note(handle, i)));
  return out;
}

// What the page shows of a made clip. The text comes back as a Blob of its
// bytes and its beginning, cut at a line end, as a string to show.
// `samples` are what the clip sounds as: its bytes for 8-bit PCM, the
// decoded 16-bit samples for IMA ADPCM (`count` of them, `bytes` bytes).
function madeClip(handle) {
  const text = heapBytes(core._clip2c_clip_text(handle), core._clip2c_clip_text_length(handle));
  let shown = text.length;
  if (shown > SHOWN_BYTES) shown = text.lastIndexOf(10, SHOWN_BYTES - 1) + 1;
  const r = {
    text: new Blob([text], {type: 'text/plain'}),
    head: decoder.decode(text.subarray(0, shown)),
    headLength: shown,
    outputName: core.UTF8ToString(core._clip2c_clip_output_name(handle)),
    arrayName: core.UTF8ToString(core._clip2c_clip_array_name(handle)),
    bytes: core._clip2c_clip_sample_count(handle) >>> 0,
    samples: core._clip2c_clip_encoding(handle) === 0
      ? heapBytes(core._clip2c_clip_samples(handle), core._clip2c_clip_sample_count(handle)).slice()
      : new Int16Array(heapBytes(core._clip2c_clip_decoded(handle),
          2 * core._clip2c_clip_adpcm_samples(handle)).slice().buffer),
    rate: core._clip2c_clip_sample_rate(handle) >>> 0,
    fits: core._clip2c_clip_fits(handle) === 1,
    fitText: core.UTF8ToString(core._clip2c_clip_fit_text(handle)),
    prepared: null,
  };
  const wave = heapBytes(core._clip2c_clip_prepared_wave(handle), core._clip2c_clip_prepared_wave_length(handle));
  if (wave.length) {
    r.prepared = {what: core.UTF8ToString(core._clip2c_clip_what(handle)),
      wav: new Blob([wave], {type: 'audio/wav'}), name: core.UTF8ToString(core._clip2c_clip_prepared_name(handle))};
  }
  return r;
}

// The engine's bank (clip2c_bank_make) of `clips` ([{bytes, fileName,
// name}]) with the options of `msg`, as a handle; null when the module
// cannot hold the files. With msg.ownRates the bank's rate is 0: each WAV
// file keeps its own rate and a raw clip plays at 8000 Hz.
function makeBank(clips, msg) {
  const flags = (msg.normalize ? NORMALIZE : 0) | (msg.trim ? TRIM : 0) | encodingFlag(msg);
  const bank = withString(msg.bank, (name) =>
    core._clip2c_bank_new(name, msg.signed ? 1 : 0, TARGETS[msg.target], msg.ownRates ? 0 : msg.rate, flags));
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
  core._clip2c_bank_make(bank);
  return bank;
}

// The text of the bank handle `bank`, as madeClip gives a clip's.
function bankText(bank) {
  const text = heapBytes(core._clip2c_bank_text(bank), core._clip2c_bank_text_length(bank));
  let shown = text.length;
  if (shown > SHOWN_BYTES) shown = text.lastIndexOf(10, SHOWN_BYTES - 1) + 1;
  return {text: new Blob([text], {type: 'text/plain'}), head: decoder.decode(text.subarray(0, shown)),
    headLength: shown};
}

// The clips the bank made, in order: each one's name in the bank, figures
// and samples (as madeClip's: decoded for IMA ADPCM, and `bytes` the
// array's bytes).
function bankClips(bank) {
  const out = [];
  const count = core._clip2c_bank_clip_count(bank) >>> 0;
  for (let i = 0; i < count; i++) {
    const bytes = core._clip2c_bank_clip_sample_count(bank, i) >>> 0;
    out.push({name: core.UTF8ToString(core._clip2c_bank_clip_name(bank, i)), bytes,
      samples: core._clip2c_bank_clip_encoding(bank, i) === 0
        ? heapBytes(core._clip2c_bank_clip_samples(bank, i), bytes)
        : new Int16Array(heapBytes(core._clip2c_bank_clip_decoded(bank, i),
            2 * core._clip2c_bank_clip_adpcm_samples(bank, i)).slice().buffer),
      rate: core._clip2c_bank_clip_sample_rate(bank, i) >>> 0});
  }
  return out;
}

function bankNotes(bank) {
  const out = [];
  const count = core._clip2c_bank_note_count(bank) >>> 0;
  for (let i = 0; i < count; i++) out.push(core.UTF8ToString(core._clip2c_bank_note(bank, i)));
  return out;
}

// The file of `clip` decoded by the page at `msg.rate` and made into the
// engine's 8-bit mono WAV file, or for IMA ADPCM its 16-bit one, so that it
// is encoded from 16 bits as a clip alone is (neither normalized nor
// trimmed nor encoded: the bank does that, as for every clip):
// {wav, fileName, what, notes}, or {refused: status, notes} when the
// browser cannot decode it either.
async function decodeForBank(id, clip, msg) {
  const first = makeClip(clip.bytes, {fileName: clip.fileName, name: clip.name, signed: false, target: 'c',
    rate: msg.rate, normalize: false, trim: false, forcePrepare: true, encoding: msg.encoding});
  if (!first) return {refused: statusByKey['out-of-memory'], notes: []};
  let handle = null;
  try {
    const channels = await askToDecode(id, clip.bytes, core._clip2c_clip_prepare_rate(first) >>> 0);
    if (!channels) {
      const said = notes(first);
      if (core._clip2c_clip_not_wave(first) === 1) said.push(texts.notices['not-wav']);
      return {refused: core._clip2c_clip_status(first), notes: said};
    }
    handle = makeDecodedClip(first, channels);
    if (!handle || core._clip2c_clip_outcome(handle) !== MADE) {
      return {refused: handle ? core._clip2c_clip_status(handle) : statusByKey['out-of-memory'], notes: []};
    }
    const wav = encodingFlag(msg) ? sixteenBitWave(channels, core._clip2c_clip_prepare_rate(first) >>> 0)
      : heapBytes(core._clip2c_clip_prepared_wave(handle), core._clip2c_clip_prepared_wave_length(handle)).slice();
    if (!wav) return {refused: statusByKey['out-of-memory'], notes: []};
    return {wav, fileName: core.UTF8ToString(core._clip2c_clip_prepared_name(handle)),
      what: core.UTF8ToString(core._clip2c_clip_what(handle)), notes: notes(first)};
  } finally {
    if (handle) core._clip2c_clip_free(handle);
    core._clip2c_clip_free(first);
  }
}

// The bank the engine makes of the files; a file only the browser decodes
// is decoded when the engine first meets it, and the bank made again.
async function runBank(msg) {
  const {id} = msg;
  const clips = msg.clips.map((c) => ({bytes: new Uint8Array(c.bytes), fileName: c.fileName, name: c.name,
    decoded: null}));
  for (;;) {
    progress(id, 20, 'Converting');
    const bank = makeBank(clips, msg);
    if (!bank) return bankRefusal(id, {en: texts.statuses.find((s) => s.key === 'out-of-memory').en, clips: []});
    let index = -1;
    try {
      const refusal = core._clip2c_bank_refusal(bank);
      index = core._clip2c_bank_refused_clip(bank) >>> 0;
      if (refusal !== BANK_NEEDS_DECODER || clips[index].decoded) {
        return refusal === BANK_MADE ? finishBank(id, msg, bank, clips)
                                     : bankRefusal(id, {en: core.UTF8ToString(core._clip2c_bank_refusal_text(bank)),
                                       refusedClip: refusal >= BANK_CLIP_REFUSED ? index : -1, clips: bankClips(bank),
                                       notes: bankNotes(bank)});
      }
    } finally {
      core._clip2c_bank_free(bank);
    }
    progress(id, 50, 'Decoding');
    const clip = clips[index], decoded = await decodeForBank(id, clip, msg);
    if (decoded.refused !== undefined) {
      const entry = texts.statuses.find((s) => s.status === decoded.refused);
      return bankRefusal(id, {en: clip.fileName + ': ' + (entry ? entry.en : 'not converted') +
        ' Your browser cannot decode it as sound either.', refusedClip: index, clips: [],
      notes: decoded.notes.map((n) => clip.fileName + ': ' + n)});
    }
    clip.decoded = {what: decoded.what, name: decoded.fileName, notes: decoded.notes,
      wav: new Blob([decoded.wav], {type: 'audio/wav'}), fileName: clip.fileName};
    clip.bytes = decoded.wav;
    clip.fileName = decoded.fileName;
  }
}

function finishBank(id, msg, bank, clips) {
  current = null;
  const made = bankClips(bank), text = bankText(bank);
  // Every clip of a bank has the bank's encoding.
  const wide = made.some((c) => c.samples instanceof Int16Array);
  const all = new (wide ? Int16Array : Uint8Array)(made.reduce((n, c) => n + c.samples.length, 0));
  made.reduce((at, c) => { all.set(c.samples, at); return at + c.samples.length; }, 0);
  // A decoded clip's own notes come first: the bank's are of its WAV file.
  const said = [];
  clips.forEach((c) => {
    if (!c.decoded) return;
    said.push(...c.decoded.notes.map((n) => c.decoded.fileName + ': ' + n));
    said.push(c.decoded.fileName + ': decoded by your browser (' + c.decoded.what + ') and made from ' +
      c.decoded.name + ', which the page offers.');
  });
  postMessage({op: 'done', id, result: {
    converted: true, bank: true, notices: said.concat(bankNotes(bank)),
    text: text.text, head: text.head, headLength: text.headLength, textSize: text.text.size,
    outputName: msg.bank + '.h', count: all.length, bytes: made.reduce((n, c) => n + c.bytes, 0), adpcm: wide,
    fits: core._clip2c_bank_fits(bank) === 1, fitText: core.UTF8ToString(core._clip2c_bank_fit_text(bank)),
    clips: made.map((c, i) => ({name: c.name, count: c.samples.length, rate: c.rate,
      decoded: clips[i].decoded ? {name: clips[i].decoded.name, wav: clips[i].decoded.wav} : null})),
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
  const name = core.UTF8ToString(core._clip2c_clip_name(first));
  let handle = first;
  try {
    if (core._clip2c_clip_outcome(first) === NEEDS_DECODER) {
      const channels = await askToDecode(id, bytes, core._clip2c_clip_prepare_rate(first) >>> 0);
      if (!channels) {
        const said = notes(first);
        if (core._clip2c_clip_not_wave(first) === 1) said.push(texts.notices['not-wav']);
        return refusal(id, {name, status: core._clip2c_clip_status(first), notices: said, undecodable: true});
      }
      progress(id, 70, 'Preparing');
      handle = makeDecodedClip(first, channels);
      if (!handle) return refusal(id, {name, status: statusByKey['out-of-memory'], notices: notes(first)});
    }
    if (core._clip2c_clip_outcome(handle) !== MADE) {
      return refusal(id, {name, status: core._clip2c_clip_status(handle), notices: notes(handle)});
    }
    return finish(id, {name, result: madeClip(handle), notices: notes(handle),
      offer: core._clip2c_clip_rate_offer(handle) === 1});
  } finally {
    if (handle && handle !== first) core._clip2c_clip_free(handle);
    core._clip2c_clip_free(first);
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
  texts.statuses.forEach((s) => { statusByKey[s.key] = s.status; });
  postMessage({op: 'ready', texts});
}, (error) => postMessage({op: 'failed', id: 0, error: String(error && error.message ? error.message : error)}));
