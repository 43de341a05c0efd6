// The page around the program: its address's choices, the data folder into the module's files,
// the canvas at whole scales, Web Audio for the effects and the tune, the buttons.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const params = new URLSearchParams(location.search);
  // What the Windows program writes over every frame; here it lies over the canvas instead,
  // so the canvas holds the engine's pixels alone.
  const noticeText = 'Quarvel 8-bit software engine test. Esc ends the view';

  function setState(state, extra = {}) {
    document.body.dataset.state = state;
    Object.assign(document.body.dataset, extra);
  }
  function say(text) {
    $('message').textContent = text;
  }

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    say('This browser cannot run WebAssembly, which Quarvel needs. Try a current Chrome, ' +
        'Firefox, Safari or Edge.');
    setState('failed', { code: 'nowasm' });
    return;
  }

  // The data folder: the page's own by default, or ?data=FOLDER beside it (same site only).
  const dataBase = new URL((params.get('data') || '.').replace(/\/*$/, '/'), location.href);

  async function fetchBytes(url) {
    try {
      const response = await fetch(url);
      return response.ok ? new Uint8Array(await response.arrayBuffer()) : null;
    } catch {
      return null;
    }
  }

  // The picture files named in [bitmaps] of fc.ini, with '/' for '\'. Paths that would leave
  // the data folder are not fetched; the program then finds no file there and leaves the slot
  // empty, as it does for any missing picture.
  function bitmapFiles(ini) {
    const files = [];
    let inBitmaps = false;
    for (const raw of ini.split(/\r?\n/)) {
      const line = raw.trim();
      if (line.startsWith('[')) {
        inBitmaps = /^\[\s*bitmaps\s*\]/i.test(line);
      } else if (inBitmaps && !line.startsWith(';') && line.includes('=')) {
        const value = line.slice(line.indexOf('=') + 1).trim().replace(/\\/g, '/');
        if (value && !value.startsWith('?') && !value.startsWith('/') && !value.split('/').includes('..'))
          files.push(value);
      }
    }
    return files;
  }

  // Everything the program reads, written into the module's files under /data. A file that
  // cannot be fetched is left out, so the program meets it as a missing file: no fc.ini gives
  // the defaults, no palette ends the start-up with -5, a missing picture leaves its slot empty.
  async function loadDataFolder(FS) {
    const files = new Map();
    const ini = await fetchBytes(new URL('fc.ini', dataBase));
    if (ini) files.set('fc.ini', ini);
    // The palette, the backdrop and the floor picture's default, which fc.ini need not name.
    const names = ['sc/nosystem.pal', 'sc/backdrop.sc0', 'sc/default.sc0'];
    if (ini) names.push(...bitmapFiles(new TextDecoder().decode(ini)));
    await Promise.all([...new Set(names)].map(async (name) => {
      const bytes = await fetchBytes(new URL(name, dataBase));
      if (bytes) files.set(name, bytes);
    }));
    for (const [name, bytes] of files) {
      const path = '/data/' + name;
      FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
      FS.writeFile(path, bytes);
    }
    FS.mkdirTree('/data');
  }

  // Sound. Browsers start audio only after a click or key, so the context waits suspended
  // until then; the effects are decoded beforehand. One source plays the effects, so that the
  // program's rule (another effect cuts the playing one off) has one thing to act on.
  const audio = {
    context: null, output: null, effects: [], tune: null, effect: null, tuneSource: null,
    tuneWanted: false, unlocked: false,
  };
  const AudioContextClass = window.AudioContext || window.webkitAudioContext;
  async function loadSounds() {
    if (!AudioContextClass) return;
    audio.context = new AudioContextClass();
    audio.output = audio.context.createGain();
    audio.output.connect(audio.context.destination);
    const decode = async (name) => {
      const bytes = await fetchBytes(new URL(name, dataBase));
      try {
        return bytes ? await audio.context.decodeAudioData(bytes.buffer) : null;
      } catch {
        return null; // a broken file is an empty slot
      }
    };
    const slots = [0, 1, 2, 3, 4].map((i) => decode(`snd/qrvl0${i}.wav`));
    // Where the browser lets pages sound without a gesture, the context starts by itself a moment
    // later: wait that moment, so that the start-up sound is heard there.
    const started = new Promise((resolve) => {
      audio.context.onstatechange = resolve;
      setTimeout(resolve, 200);
    });
    [audio.tune, ...audio.effects] = await Promise.all([decode('mus/3d.ogg'), ...slots]);
    if (audio.context.state !== 'running') await started;
    audio.unlocked = audio.context.state === 'running';
  }
  function startTune() {
    audio.tuneWanted = false;
    if (audio.tuneSource) audio.tuneSource.stop();
    audio.tuneSource = null;
    if (!audio.tune) return;
    audio.tuneSource = audio.context.createBufferSource();
    audio.tuneSource.buffer = audio.tune;
    audio.tuneSource.connect(audio.output);
    audio.tuneSource.start();
  }
  function unlockAudio() {
    if (audio.unlocked || !audio.context) return;
    audio.unlocked = true;
    audio.context.resume().then(() => {
      if (audio.tuneWanted) startTune();
      $('status').textContent = '';
    });
  }
  document.addEventListener('visibilitychange', () => {
    if (!audio.context || !audio.unlocked) return;
    if (document.hidden) audio.context.suspend();
    else audio.context.resume();
  });

  let module = null, width = 0, height = 0, endedByEscape = false;
  const canvas = $('view');
  const context2d = canvas.getContext('2d', { alpha: false });

  // The largest whole scale of the view, in device pixels, that fits the room above the bar;
  // what is left over stays black around it. A view larger than the room is shrunk to fit.
  function fit() {
    if (!width) return;
    const ratio = window.devicePixelRatio || 1;
    const room = $('screen').getBoundingClientRect();
    const fits = Math.min(room.width * ratio / width, room.height * ratio / height);
    const scale = fits >= 1 ? Math.floor(fits) : fits;
    const cssWidth = width * scale / ratio, cssHeight = height * scale / ratio;
    Object.assign($('frame').style, { width: cssWidth + 'px', height: cssHeight + 'px' });
    Object.assign(canvas.style, { width: cssWidth + 'px', height: cssHeight + 'px' });
    $('notice').style.transform = `scale(${scale / ratio})`;
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(() => {});
  }

  const failures = {
    '-5': () => 'The program palette sc/nosystem.pal cannot be read, so there are no colours to ' +
      'show the view in. The program ends its start-up here, with code -5.',
    '-3': (why) => `The configuration and pictures cannot be loaded (${why}); the program ends ` +
      'its start-up here, with code -3.',
  };

  // What the program calls (src/web/main.cpp and audio.cpp).
  window.quarvelPage = {
    started(w, h) {
      [width, height] = [w, h];
      [canvas.width, canvas.height] = [w, h];
      $('notice').textContent = noticeText;
      $('frame').style.display = 'block';
      say('');
      if (audio.context && !audio.unlocked) $('status').textContent = 'Click or press a key for sound';
      setState('running');
      fit();
    },
    present(pointer, w, h) {
      const pixels = new Uint8ClampedArray(module.HEAPU8.buffer, pointer, w * h * 4);
      context2d.putImageData(new ImageData(pixels, w, h), 0, 0);
    },
    failed(code, why) {
      const text = failures[code] ? failures[code](why) : `Quarvel cannot start: ${why}.`;
      $('frame').style.display = 'none';
      say(text);
      setState('failed', { code: String(code) });
    },
    ended(frame, byEscape) {
      endedByEscape = byEscape;
      $('status').textContent = byEscape ? 'The view has ended: Enter or a click starts it again'
        : `Stopped on frame ${frame}`;
      setState('ended', { frame: String(frame) });
    },
    audioRunning: () => audio.context !== null && audio.context.state === 'running',
    effectLoaded: (slot) => !!audio.effects[slot],
    effectPlaying: () => audio.effect !== null,
    effectStart(slot) {
      const source = audio.context.createBufferSource();
      source.buffer = audio.effects[slot];
      source.connect(audio.output);
      source.onended = () => {
        if (audio.effect === source) audio.effect = null;
      };
      audio.effect = source;
      source.start();
    },
    effectStop() {
      if (!audio.effect) return;
      audio.effect.onended = null;
      audio.effect.stop();
      audio.effect = null;
    },
    music(play) {
      if (!audio.context) return;
      if (!play) {
        audio.tuneWanted = false;
        if (audio.tuneSource) audio.tuneSource.stop();
        audio.tuneSource = null;
      } else if (audio.context.state === 'running') {
        startTune();
      } else {
        audio.tuneWanted = true;
      }
    },
    // The live keys so far, in the key-script format of quarvel-tool render.
    recording: () => (module ? module.UTF8ToString(module._WebRecording()) : ''),
  };

  // Files for the user: a recording of the keys, a screenshot of the canvas (the engine's pixels
  // at the view's size: what quarvel-tool render draws for the same frame).
  function download(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  let shots = 0;
  function screenshot() {
    const frames = module && width ? module._WebFrame() : 0;
    if (!frames) return;
    const name = `quarvel-${String(++shots).padStart(4, '0')}.png`;
    canvas.toBlob((blob) => download(blob, name), 'image/png');
    $('status').textContent = `${name}: frame ${frames - 1} (quarvel-tool render --frames ${frames} draws it)`;
  }
  $('save').addEventListener('click', () => {
    if (module) download(new Blob([quarvelPage.recording()], { type: 'text/plain' }), 'quarvel-demo.keys');
  });
  // A picked recording replays in a fresh page: the program starts from its own beginning.
  $('play').addEventListener('click', () => $('pick').click());
  $('pick').addEventListener('change', async () => {
    const file = $('pick').files[0];
    if (!file) return;
    sessionStorage.setItem('quarvel-recording', await file.text());
    const next = new URLSearchParams(params);
    next.delete('keys');
    next.delete('frames');
    next.set('play', '1');
    location.search = next.toString();
  });

  function resume() {
    if (document.body.dataset.state !== 'ended' || !endedByEscape) return;
    setState('running');
    $('status').textContent = '';
    module._WebResume();
  }
  window.addEventListener('keydown', (event) => {
    unlockAudio();
    if ((event.key === 'f' || event.key === 'F') && !event.ctrlKey && !event.altKey && !event.metaKey) toggleFullScreen();
    if (event.key === 'Enter' && event.target.tagName !== 'BUTTON') resume();
    if (event.key === 'F12') {
      event.preventDefault();
      screenshot();
    }
  });
  window.addEventListener('pointerdown', unlockAudio);
  canvas.addEventListener('click', resume);
  $('fullscreen').addEventListener('click', toggleFullScreen);
  $('mute').addEventListener('click', () => {
    const muted = $('mute').getAttribute('aria-pressed') !== 'true';
    $('mute').setAttribute('aria-pressed', String(muted));
    $('mute').textContent = muted ? 'Sound off' : 'Sound on';
    if (audio.output) audio.output.gain.value = muted ? 0 : 1;
  });

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error(`${src} cannot be loaded`));
      document.head.appendChild(script);
    });
  }

  // ?bench: quarvel-tool bench, built for the browser, over the same data folder.
  async function bench() {
    await loadScript('bench.js');
    const lines = [];
    const tool = await createBench({ print: (line) => lines.push(line), printErr: (line) => lines.push(line) });
    await loadDataFolder(tool.FS);
    say('Measuring the engine…');
    await new Promise((resolve) => setTimeout(resolve, 50)); // lets the message show first
    const code = tool.callMain(['bench', '--dir', '/data', '--viewport', params.get('viewport') || '640x480']);
    say('');
    const out = document.createElement('pre');
    out.id = 'bench';
    out.textContent = lines.join('\n');
    $('screen').appendChild(out);
    setState(code === 0 ? 'ended' : 'failed', { code: String(code) });
  }

  async function start() {
    const [created] = await Promise.all([loadScript('quarvel.js').then(() => createQuarvel({
      print: (line) => console.log(line),
      printErr: (line) => console.warn(line),
    })), loadSounds()]);
    module = created;
    await loadDataFolder(module.FS);
    // Without ?viewport a recording's own size holds, else 640x480.
    const args = ['--dir', '/data'];
    if (params.has('viewport')) args.push('--viewport', params.get('viewport'));
    if (params.has('frames')) args.push('--frames', params.get('frames'));
    let script = null;
    if (params.has('keys')) {
      script = await fetchBytes(new URL(params.get('keys'), location.href));
      if (!script) {
        quarvelPage.failed(1, `the key script ${params.get('keys')} cannot be fetched`);
        return;
      }
    } else if (params.has('play')) {
      script = new TextEncoder().encode(sessionStorage.getItem('quarvel-recording') || '');
    }
    if (script) {
      module.FS.writeFile('/keys.txt', script);
      args.push('--keys', '/keys.txt');
    }
    module.callMain(args);
  }

  (params.has('bench') ? bench() : start()).catch((error) => {
    say(`Quarvel cannot start: ${error.message}`);
    setState('failed', { code: 'load' });
  });
})();
