// SPDX-License-Identifier: MIT
// The page's script: it takes the chosen file, hands it to the WebAssembly
// core (which converts, mixes and quantizes) and shows what comes back.
// Decoding other formats is the browser's; everything else is the core's.
(function () {
  'use strict';

  // Statuses of _clip2c_convert (web/page_core.h, PageStatus).
  var CONVERTED = 0, NO_INPUT_PATH = 1, NOT_RAW_OR_WAV = 2, NOT_MONO = 3, NOT_EIGHT_BIT = 4,
      UNREADABLE = 5, OUT_OF_MEMORY = 6;

  var ENGLISH = {};
  ENGLISH[NO_INPUT_PATH] = 'The input file\'s path name is not specified.';
  ENGLISH[NOT_RAW_OR_WAV] = 'The input file is neither raw nor wav.';
  ENGLISH[NOT_MONO] = 'wav files: only mono is supported.';
  ENGLISH[NOT_EIGHT_BIT] = 'wav files: only 8 bit is supported.';
  ENGLISH[UNREADABLE] = 'The file is empty or cannot be read. The tool prints only its banner ' +
      'and exits with status \u22121; there is no text.';
  ENGLISH[OUT_OF_MEMORY] = 'Out of memory: the page could not hold the clip or its text.';

  // Texts longer than this are shown cut at a line end; the download always
  // holds the whole text.
  var SHOWN_BYTES = 256 * 1024;

  var $ = function (id) { return document.getElementById(id); };
  var clipInput = $('clip'), signedBox = $('signed'), rateSelect = $('rate'), stateLine = $('state'),
      messageBox = $('message'), preparedLine = $('prepared'), resultBox = $('result'),
      source = $('source'), sourceNote = $('source-note'), download = $('download'),
      clipDownload = $('clip-download'), canvas = $('wave'), playButton = $('play'),
      copyButton = $('copy'), actionNote = $('action-note');

  var corePromise = typeof createClip2cCore === 'function'
      ? createClip2cCore()
      : Promise.reject(new Error('clip2c-core.js is missing'));

  var chosenFile = null;  // the File the page shows, re-run when an option changes
  var run = 0;            // the current run; an older one stops at its next step
  var shown = null;       // {text, samples, rate} of the result on show
  var blobUrls = [];
  var player = null;      // {context, node} while playing

  // --- Talking to the core ---------------------------------------------------

  function copyIn(core, bytes) {
    var ptr = core._clip2c_alloc(bytes.length);
    if (ptr) core.HEAPU8.set(bytes, ptr);
    return ptr;
  }

  function stringIn(core, text) {
    var size = core.lengthBytesUTF8(text) + 1;
    var ptr = core._clip2c_alloc(size);
    if (ptr) core.stringToUTF8(text, ptr, size);
    return ptr;
  }

  function bytesOut(core, ptr, length) {
    ptr >>>= 0;
    return core.HEAPU8.slice(ptr, ptr + (length >>> 0));
  }

  // Converts as the tool converts a file called `name`. The text comes back
  // as a Blob of its bytes (copied once, straight from the module's memory)
  // and its beginning, cut at a line end, as a string to show.
  function convert(core, bytes, name, isSigned) {
    var data = copyIn(core, bytes), namePtr = stringIn(core, name), handle = 0;
    if (data && namePtr) handle = core._clip2c_convert(data, bytes.length, namePtr, isSigned ? 1 : 0);
    core._clip2c_release(data);
    core._clip2c_release(namePtr);
    if (!handle) return {status: OUT_OF_MEMORY};
    try {
      var status = core._clip2c_result_status(handle);
      if (status !== CONVERTED) return {status: status};
      var at = core._clip2c_result_text(handle) >>> 0, length = core._clip2c_result_text_length(handle) >>> 0;
      var text = core.HEAPU8.subarray(at, at + length), shown = length;
      if (length > SHOWN_BYTES) shown = text.lastIndexOf(10, SHOWN_BYTES - 1) + 1;
      return {
        status: status,
        text: new Blob([text], {type: 'text/plain'}),
        head: new TextDecoder().decode(text.subarray(0, shown)),
        headLength: shown,
        outputName: core.UTF8ToString(core._clip2c_result_output_name(handle)),
        samples: bytesOut(core, core._clip2c_result_samples(handle), core._clip2c_result_sample_count(handle)),
        sampleRate: core._clip2c_result_sample_rate(handle) >>> 0
      };
    } finally {
      core._clip2c_result_free(handle);
    }
  }

  function takeBytes(core, handle) {
    if (!handle) return null;
    try {
      return bytesOut(core, core._clip2c_bytes_data(handle), core._clip2c_bytes_length(handle));
    } finally {
      core._clip2c_bytes_free(handle);
    }
  }

  // The decoded sound as an 8-bit mono WAV file at `rate`, or null when
  // memory runs out.
  function prepare(core, audio, rate) {
    var channels = audio.numberOfChannels, frames = audio.length;
    var planar = core._clip2c_alloc(channels * frames * 4);
    if (!planar) return null;
    for (var c = 0; c < channels; c++) {
      core.HEAPF32.set(audio.getChannelData(c), (planar >>> 2) + c * frames);
    }
    var wav = takeBytes(core, core._clip2c_prepare(planar, channels, frames, rate));
    core._clip2c_release(planar);
    return wav;
  }

  // A PCM WAV file at `rate` prepared by the core alone, as an 8-bit mono
  // WAV file; null when it is not one the core reads that way.
  function prepareWave(core, bytes, rate) {
    var data = copyIn(core, bytes);
    if (!data) return null;
    var wav = takeBytes(core, core._clip2c_prepare_wave(data, bytes.length, rate));
    core._clip2c_release(data);
    return wav;
  }

  function preparedName(core, name) {
    var ptr = stringIn(core, name);
    if (!ptr) return null;
    var bytes = takeBytes(core, core._clip2c_prepared_name(ptr));
    core._clip2c_release(ptr);
    return bytes && new TextDecoder().decode(bytes);
  }

  // {channels, rate, bits} as the chunk walk reads them; channels 0 when
  // the bytes are no WAV file it can read.
  function sourceFormat(core, bytes) {
    var data = copyIn(core, bytes), out = core._clip2c_alloc(12);
    var format = {channels: 0, rate: 0, bits: 0};
    if (data && out) {
      core._clip2c_source_format(data, bytes.length, out);
      var words = core.HEAPU32.subarray(out >>> 2, (out >>> 2) + 3);
      format = {channels: words[0], rate: words[1], bits: words[2]};
    }
    core._clip2c_release(data);
    core._clip2c_release(out);
    return format;
  }

  function toolMessage(core, status) {
    return core.UTF8ToString(core._clip2c_message(status));
  }

  // --- One run: convert as it is, else prepare, else refuse ---------------------

  function decode(buffer, rate) {
    // A one-channel context of one frame: only its rate matters, and
    // decodeAudioData resamples to it (not at all when the clip has it).
    return new OfflineAudioContext(1, 1, rate).decodeAudioData(buffer).catch(function () { return null; });
  }

  function start(file, startedAt) {
    var mine = ++run;
    chosenFile = file;
    var isSigned = signedBox.checked, rate = Number(rateSelect.value);
    setState('working', 'Converting ' + file.name + '\u2026', mine);
    clearResult();

    var core, bytes;
    return corePromise.then(function (c) {
      core = c;
      return file.arrayBuffer();
    }).then(function (buffer) {
      if (mine !== run) return null;
      bytes = new Uint8Array(buffer);
      var result = convert(core, bytes, file.name, isSigned);
      if (result.status === CONVERTED) {
        return show(result, rate, null, startedAt, mine);
      }
      if (result.status !== NOT_RAW_OR_WAV && result.status !== NOT_MONO &&
          result.status !== NOT_EIGHT_BIT) {
        return refuse(core, result.status, false, mine);
      }
      // PCM WAV at the chosen rate is the core's alone, exact at every
      // width; everything else goes through the browser's decoder.
      var exact = prepareWave(core, bytes, rate);
      var decoded = exact ? Promise.resolve(null) : decode(buffer.slice(0), rate);
      return decoded.then(function (audio) {
        if (mine !== run) return null;
        if (!exact && !audio) return refuse(core, result.status, true, mine);
        var wav = exact || prepare(core, audio, rate), name = preparedName(core, file.name);
        if (!wav || !name) return refuse(core, OUT_OF_MEMORY, false, mine);
        var prepared = convert(core, wav, name, isSigned);
        if (prepared.status !== CONVERTED) return refuse(core, prepared.status, false, mine);
        var what = describeSource(core, bytes, file.name, audio) + ' \u2192 8-bit mono ' + rate + ' Hz';
        return show(prepared, rate, {what: what, wav: wav, name: name}, startedAt, mine);
      });
    }).catch(function (error) {
      if (mine !== run) return;
      messageBox.textContent = 'The page failed: ' + (error && error.message ? error.message : error);
      if (error instanceof WebAssembly.RuntimeError) {
        // The module stops for good when memory runs out inside it; a fresh
        // one serves the next run.
        messageBox.textContent = ENGLISH[OUT_OF_MEMORY];
        corePromise = createClip2cCore();
      }
      setState('error', 'Not converted.', mine);
    });
  }

  // What the clip was before the prepare, e.g. "16-bit stereo 44100 Hz" or
  // "MP3 stereo".
  function describeSource(core, bytes, name, audio) {
    var format = sourceFormat(core, bytes);
    if (format.channels) {
      return format.bits + '-bit ' + channelWord(format.channels) + ' ' + format.rate + ' Hz';
    }
    return containerName(bytes, name) + ' ' + channelWord(audio.numberOfChannels);
  }

  function channelWord(n) {
    return n === 1 ? 'mono' : n === 2 ? 'stereo' : n + '-channel';
  }

  function containerName(bytes, name) {
    var head = String.fromCharCode.apply(null, bytes.subarray(0, 4));
    if (head === 'OggS') return 'OGG';
    if (head === 'fLaC') return 'FLAC';
    if (head.slice(0, 3) === 'ID3' || (bytes[0] === 0xFF && (bytes[1] & 0xE0) === 0xE0)) return 'MP3';
    if (head === 'RIFF') return 'WAV';
    var dot = name.lastIndexOf('.');
    var ext = dot >= 0 ? name.slice(dot + 1) : '';
    return /^[A-Za-z0-9]{1,5}$/.test(ext) ? ext.toUpperCase() : 'decoded';
  }

  function refuse(core, status, undecodable, mine) {
    if (mine !== run) return;
    messageBox.textContent = '';
    var ja = status === OUT_OF_MEMORY || status === UNREADABLE ? '' : toolMessage(core, status);
    if (ja) {
      var jaSpan = document.createElement('span');
      jaSpan.lang = 'ja';
      jaSpan.className = 'ja';
      jaSpan.textContent = ja;
      messageBox.appendChild(jaSpan);
    }
    var en = document.createElement('span');
    en.className = 'en';
    en.textContent = ENGLISH[status] || 'Not converted (status ' + status + ').';
    messageBox.appendChild(en);
    if (undecodable) {
      var hint = document.createElement('span');
      hint.className = 'en hint';
      hint.textContent = 'Your browser cannot decode it as sound either, so it cannot be prepared.';
      messageBox.appendChild(hint);
    }
    setState('error', 'Not converted.', mine);
  }

  function show(result, rate, prepared, startedAt, mine) {
    if (mine !== run) return;
    var playRate = result.sampleRate || rate;
    shown = {text: result.text, samples: result.samples, rate: playRate};

    download.href = blobUrl(result.text);
    download.download = result.outputName;
    download.textContent = 'Download ' + result.outputName;

    if (prepared) {
      preparedLine.textContent = prepared.what;
      clipDownload.href = blobUrl(new Blob([prepared.wav], {type: 'audio/wav'}));
      clipDownload.download = prepared.name;
      clipDownload.textContent = 'Download ' + prepared.name;
      clipDownload.hidden = false;
    }

    var count = result.samples.length;
    $('sample-count').textContent = formatNumber(count);
    $('duration').textContent = playRate
        ? (count / playRate).toFixed(3) + ' s at ' + playRate + ' Hz' + (result.sampleRate ? '' : ' (chosen rate)')
        : 'unknown (the WAV says 0 Hz)';
    $('flash').textContent = formatNumber(count) + ' bytes';
    playButton.disabled = !canPlay(playRate) || count === 0;
    playButton.title = canPlay(playRate) ? '' : 'Your browser cannot play sound at ' + playRate + ' Hz.';

    // The waveform first: its size is read from the layout, which is quick
    // while the text is not in it yet.
    resultBox.hidden = false;
    drawWave();
    if (result.headLength < result.text.size) {
      sourceNote.textContent = 'Showing the first ' + formatNumber(result.headLength) + ' of ' +
          formatNumber(result.text.size) + ' bytes; the download holds the whole text.';
    }
    source.textContent = result.head;
    var ms = performance.now() - startedAt;
    stateLine.dataset.elapsedMs = ms.toFixed(1);
    setState('done', prepared ? 'Prepared and converted.' : 'Converted as it is.', mine);
  }

  // --- Page state --------------------------------------------------------------

  function setState(state, text, mine) {
    stateLine.dataset.state = state;
    stateLine.dataset.run = String(mine);
    stateLine.textContent = text;
  }

  function clearResult() {
    stop();
    blobUrls.forEach(function (url) { URL.revokeObjectURL(url); });
    blobUrls = [];
    shown = null;
    messageBox.textContent = '';
    preparedLine.textContent = '';
    source.textContent = '';
    sourceNote.textContent = '';
    actionNote.textContent = '';
    download.removeAttribute('href');
    download.removeAttribute('download');
    clipDownload.removeAttribute('href');
    clipDownload.removeAttribute('download');
    clipDownload.hidden = true;
    resultBox.hidden = true;
  }

  function blobUrl(blob) {
    var url = URL.createObjectURL(blob);
    blobUrls.push(url);
    return url;
  }

  function formatNumber(n) {
    return n.toLocaleString('en-US');
  }

  // --- Waveform ----------------------------------------------------------------

  // One vertical stroke per pixel column from its lowest to its highest
  // sample; 0 at the bottom, 255 at the top.
  function drawWave() {
    if (!shown) return;
    var ratio = window.devicePixelRatio || 1;
    var width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    var height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    canvas.width = width;
    canvas.height = height;
    var g = canvas.getContext('2d'), style = getComputedStyle(canvas);
    g.clearRect(0, 0, width, height);
    g.fillStyle = style.getPropertyValue('--axis') || '#999';
    g.fillRect(0, Math.round(height / 2), width, Math.max(1, Math.round(ratio)));
    var samples = shown.samples, n = samples.length;
    if (n === 0) return;
    g.fillStyle = style.color;
    var scale = (height - 1) / 255;
    for (var x = 0; x < width; x++) {
      var from = Math.floor(x * n / width), to = Math.max(from + 1, Math.floor((x + 1) * n / width));
      if (from >= n) break;
      var low = 255, high = 0;
      for (var i = from; i < to && i < n; i++) {
        var v = samples[i];
        if (v < low) low = v;
        if (v > high) high = v;
      }
      var top = (255 - high) * scale;
      g.fillRect(x, top, 1, Math.max(1, (high - low) * scale));
    }
  }

  // --- Play and copy -------------------------------------------------------

  function canPlay(rate) {
    return rate >= 3000 && rate <= 768000;
  }

  function stop() {
    if (!player) return;
    var old = player;
    player = null;
    old.node.onended = null;
    try { old.node.stop(); } catch (e) { /* already ended */ }
    old.context.close();
    playButton.textContent = 'Play';
  }

  // Plays the 8-bit samples at the clip's rate, as the firmware would.
  function play() {
    if (player) { stop(); return; }
    if (!shown || !canPlay(shown.rate) || shown.samples.length === 0) return;
    var context = new AudioContext();
    var buffer = context.createBuffer(1, shown.samples.length, shown.rate);
    var channel = buffer.getChannelData(0), samples = shown.samples;
    for (var i = 0; i < samples.length; i++) channel[i] = (samples[i] - 128) / 128;
    var node = context.createBufferSource();
    node.buffer = buffer;
    node.connect(context.destination);
    node.onended = stop;
    player = {context: context, node: node};
    playButton.textContent = 'Stop';
    node.start();
  }

  function copyText() {
    if (!shown) return;
    shown.text.text().then(function (text) { copy(text); });
  }

  function copy(text) {
    var done = function () { actionNote.textContent = 'Copied the whole text.'; };
    var fallback = function () {
      var area = document.createElement('textarea');
      area.value = text;
      area.setAttribute('readonly', '');
      area.style.position = 'fixed';
      area.style.opacity = '0';
      document.body.appendChild(area);
      area.select();
      var ok = false;
      try { ok = document.execCommand('copy'); } catch (e) { ok = false; }
      document.body.removeChild(area);
      actionNote.textContent = ok ? 'Copied the whole text.' : 'Copying is not allowed here; use the download.';
      copyButton.focus();
    };
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(text).then(done, fallback);
    } else {
      fallback();
    }
  }

  // --- Wiring ------------------------------------------------------------------

  clipInput.addEventListener('change', function () {
    var startedAt = performance.now();
    if (clipInput.files && clipInput.files.length) start(clipInput.files[0], startedAt);
  });

  var rerun = function () {
    if (chosenFile) start(chosenFile, performance.now());
  };
  signedBox.addEventListener('change', rerun);
  rateSelect.addEventListener('change', rerun);

  var drop = $('drop');
  document.addEventListener('dragover', function (e) {
    e.preventDefault();
    drop.classList.add('over');
  });
  document.addEventListener('dragleave', function (e) {
    if (!e.relatedTarget) drop.classList.remove('over');
  });
  document.addEventListener('drop', function (e) {
    e.preventDefault();
    drop.classList.remove('over');
    var files = e.dataTransfer && e.dataTransfer.files;
    if (files && files.length) start(files[0], performance.now());
  });

  playButton.addEventListener('click', play);
  copyButton.addEventListener('click', copyText);
  window.addEventListener('resize', drawWave);

  corePromise.catch(function (error) {
    messageBox.textContent = 'The converter could not be loaded: ' + (error && error.message ? error.message : error);
    setState('error', 'Not ready.', run);
  });
})();
