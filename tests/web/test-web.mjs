// The page in headless Chromium: frames equal to quarvel-tool render's after key scripts and after
// real key presses, bad data folders, the effects reaching Web Audio in order, no sound before a
// click, and 60 world steps a second on a faster display.
// node --test tests/web/test-web.mjs, with QUARVEL_WEB (dist/web) and QUARVEL_TOOL (native) set.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, serve, settled } from '../../scripts/web.mjs';

const web = process.env.QUARVEL_WEB, tool = process.env.QUARVEL_TOOL;
const golden = new URL('../golden/', import.meta.url).pathname;
const work = mkdtempSync(join(tmpdir(), 'quarvel-web-'));
let server, browser;

// The page and data folders beside it: the data set as built; one without the palette; one
// without fc.ini; one whose tree picture is cut short.
before(async () => {
  cpSync(web, work, { recursive: true });
  cpSync(golden, join(work, 'keys'), { recursive: true });
  const folder = (name, edit) => {
    cpSync(web, join(work, name), { recursive: true, filter: (f) => !/\.(js|wasm|html)$/.test(f) });
    edit(join(work, name));
  };
  folder('nopal', (d) => rmSync(join(d, 'sc/nosystem.pal')));
  folder('noini', (d) => rmSync(join(d, 'fc.ini')));
  // Its tree picture cut short, [bitmaps] in capitals, and slot 2 named outside the folder.
  folder('broken', (d) => {
    writeFileSync(join(d, 'sc/tree.sc0'), readFileSync(join(d, 'sc/tree.sc0')).subarray(0, 900));
    writeFileSync(join(d, 'fc.ini'), readFileSync(join(d, 'fc.ini'), 'latin1').replace('[bitmaps]', '[BITMAPS]')
      .replace(/^2=.*$/m, '2=..\\pillar.sc0'));
  });
  server = await serve(work);
  // Sound without a click, so that a replay's effects from its first frame reach Web Audio.
  browser = await launch(['--autoplay-policy=no-user-gesture-required']);
});
after(async () => {
  await browser?.close();
  await server?.close();
  rmSync(work, { recursive: true, force: true });
});

// A page with a spy on its audio calls: which file each decoded buffer came from (by size) and
// every start and stop of a source, in order.
async function open(query, on = browser) {
  const page = await on.newPage();
  page.requested = [];
  page.on('request', (request) => page.requested.push(new URL(request.url()).pathname));
  await page.addInitScript(() => {
    window.audioCalls = [];
    window.gains = [];
    const createGain = BaseAudioContext.prototype.createGain;
    BaseAudioContext.prototype.createGain = function () {
      return window.gains[window.gains.push(createGain.call(this)) - 1];
    };
    const sizes = new WeakMap();
    const decode = BaseAudioContext.prototype.decodeAudioData;
    BaseAudioContext.prototype.decodeAudioData = async function (bytes) {
      const size = bytes.byteLength, buffer = await decode.call(this, bytes);
      sizes.set(buffer, size);
      return buffer;
    };
    for (const op of ['start', 'stop']) {
      const real = AudioBufferSourceNode.prototype[op];
      AudioBufferSourceNode.prototype[op] = function (...args) {
        window.audioCalls.push([op, sizes.get(this.buffer)]);
        return real.apply(this, args);
      };
    }
  });
  await page.goto(server.url + query);
  return page;
}

// The canvas as RGB bytes, and quarvel-tool render's last frame for the same run.
async function canvasRgb(page) {
  const rgba = Buffer.from(await page.evaluate(() => {
    const c = document.getElementById('view');
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode(...data.subarray(i, i + 0x8000));
    return btoa(text);
  }), 'base64');
  return Buffer.from(rgba.filter((_, i) => i % 4 !== 3));
}
const pngRgb = (png) => execFileSync('convert', [png, 'rgb:-'], { maxBuffer: 64 << 20 });
// Without frames and viewport, a recording's own hold.
function renderRgb(dir, keys, frames, viewport) {
  const png = join(work, 'render.png');
  execFileSync(tool, ['render', '--dir', join(work, dir), ...(frames ? ['--frames', String(frames)] : []),
    ...(viewport ? ['--viewport', viewport] : []), '--out', png, ...(keys ? ['--keys', keys] : [])], { stdio: 'ignore' });
  return pngRgb(png);
}
// The file a page hands out when act is done: its suggested name and where it was saved.
async function download(page, act) {
  const [file] = await Promise.all([page.waitForEvent('download'), act()]);
  return { name: file.suggestedFilename(), path: await file.path() };
}
function assertSameFrame(actual, expected, viewport, what) {
  assert.equal(actual.length, expected.length, `${what}: canvas size differs from ${viewport}`);
  const first = actual.findIndex((v, i) => v !== expected[i]);
  const width = Number(viewport.split('x')[0]);
  assert.equal(first, -1, `${what}: first differing pixel at x=${(first / 3) % width}, y=${Math.floor(first / 3 / width)}`);
}

const wavSlot = (size) => [0, 1, 2, 3, 4].find((i) => statSync(join(web, `snd/qrvl0${i}.wav`)).size === size);
const audioStarts = async (page) => (await page.evaluate(() => window.audioCalls))
  .filter(([op]) => op === 'start').map(([, size]) => wavSlot(size) ?? 'tune');

test('a key script replays to the frames of quarvel-tool render', async () => {
  const cases = [ // data folder, key script, frames, viewport
    ['.', 'walk', 120, '322x241'], ['.', 'target', 120, '640x480'],
    ['noini', 'walk', 40, '200x150'], ['broken', 'walk', 40, '256x192'],
  ];
  for (const [data, keys, frames, viewport] of cases) {
    const page = await open(`?data=${data}&keys=keys/${keys}.keys&frames=${frames}&viewport=${viewport}`);
    if (keys === 'walk' && data === '.') { // live keys wait while a replay runs
      await settled(page, ['running']);
      await page.keyboard.down('ArrowLeft');
      await page.waitForTimeout(300);
      await page.keyboard.up('ArrowLeft');
    }
    const state = await settled(page, ['ended', 'failed']);
    assert.deepEqual([state.state, state.frame], ['ended', String(frames)], `${data} ${keys}: ${state.code}`);
    assertSameFrame(await canvasRgb(page), renderRgb(data, join(golden, `${keys}.keys`), frames, viewport),
      viewport, `${data} ${keys}`);
    assert.ok(!page.requested.includes('/pillar.sc0'), `${data}: a picture outside the data folder was fetched`);
    if (keys === 'target') {
      // The start-up sound, cut off by the trigger, then the explosion; the tune once.
      const calls = await page.evaluate(() => window.audioCalls);
      const named = calls.map(([op, size]) => `${op} ${wavSlot(size) ?? (size ? 'tune' : '?')}`);
      assert.deepEqual(named.filter((c) => c.startsWith('start')), ['start 1', 'start tune', 'start 0', 'start 4']);
      assert.ok(named.indexOf('stop 1') < named.indexOf('start 0') && named.includes('stop 1'), named.join(', '));
    }
    await page.close();
  }
});

test('real key presses move the view as the same keys do in quarvel-tool render', async () => {
  const page = await open('?viewport=256x192');
  await settled(page, ['running']);
  await page.evaluate(() => {
    window.unprevented = [];
    window.addEventListener('keydown', (e) => e.key.startsWith('Arrow') && !e.defaultPrevented && unprevented.push(e.key));
  });
  const hold = async (key, ms) => {
    await page.keyboard.down(key);
    await page.waitForTimeout(ms);
    await page.keyboard.up(key);
  };
  await hold('ArrowUp', 400);
  await page.keyboard.down('Control');
  await hold('ArrowLeft', 300);
  await page.keyboard.press('a');
  await page.keyboard.up('Control');
  await hold('ArrowRight', 300);
  await page.keyboard.press('z');
  // A key held while the page loses the keyboard is let go there; Shift gives the capital letter.
  await page.keyboard.down('ArrowDown');
  await page.waitForTimeout(200);
  await page.evaluate(() => window.dispatchEvent(new Event('blur')));
  await page.keyboard.up('ArrowDown');
  await page.keyboard.press('Shift+Z');
  await page.waitForTimeout(200);
  // F12 saves the canvas: the frame its message names, as quarvel-tool render draws it.
  const shot = await download(page, () => page.keyboard.press('F12'));
  const [, shown, shotFrames] = /^quarvel-0001\.png: frame (\d+) \(quarvel-tool render --frames (\d+) draws it\)$/
    .exec(await page.textContent('#status')).map(Number);
  assert.deepEqual([shot.name, shown], ['quarvel-0001.png', shotFrames - 1]);
  await page.keyboard.press('Escape');
  const state = await settled(page, ['ended']);
  const script = readFileSync((await download(page, () => page.click('#save'))).path, 'utf8');
  assert.match(script, /^viewport 256x192 view 440,160,56,128$/m);
  const lines = script.split('\n').filter((l) => /^\d+ (down|up) /.test(l)).map((l) => l.replace(/^\d+ /, ''));
  assert.deepEqual(lines, ['down up', 'up up', 'down left ctrl', 'up left', 'down a ctrl', 'up a',
    'down right', 'up right', 'down z', 'up z', 'down down', 'up down', 'up down', 'down z', 'up z']);
  assert.deepEqual(await page.evaluate(() => unprevented), [], 'arrows would scroll the page');
  // 1280 x 690 above the bar holds the 256 x 192 view 3.59 times: the whole factor is 3.
  assert.equal(await page.$eval('#view', (c) => c.style.width), '768px');
  writeFileSync(join(work, 'live.keys'), script);
  assertSameFrame(await canvasRgb(page), renderRgb('.', join(work, 'live.keys')), '256x192',
    `the saved recording of ${state.frame} frames`);
  assertSameFrame(pngRgb(shot.path), renderRgb('.', join(work, 'live.keys'), shotFrames), '256x192', `F12 at ${shotFrames}`);
  // The same file picked with Play replays to the same last frame.
  await page.setInputFiles('#pick', join(work, 'live.keys'));
  await page.waitForURL(/play=1/);
  assert.equal((await settled(page, ['ended'])).frame, state.frame);
  assertSameFrame(await canvasRgb(page), renderRgb('.', join(work, 'live.keys')), '256x192', 'the picked recording');
  await page.close();
});

test('sound waits for the first click, then the tune starts from its beginning', async () => {
  const plain = await launch(); // the browser's own rule: no sound before a gesture
  try {
    const page = await open('?viewport=128x128', plain);
    await settled(page, ['running']);
    await page.waitForTimeout(300);
    assert.deepEqual(await audioStarts(page), []);
    await page.mouse.click(10, 10);
    await page.waitForFunction(() => window.audioCalls.length > 0, null, { timeout: 10000 });
    assert.deepEqual(await audioStarts(page), ['tune']);
    // The Sound button mutes the output and brings it back.
    const gain = () => page.evaluate(() => window.gains.map((g) => g.gain.value));
    await page.click('#mute');
    assert.deepEqual(await gain(), [0]);
    await page.click('#mute');
    assert.deepEqual(await gain(), [1]);
  } finally {
    await plain.close();
  }
});

// Display frames on a clock of the test's own, as fast as the page takes them: how many it takes
// to make the steps. The first display frame makes one step at once; then 60 steps a second of
// display time, 1000/144 ms a frame at 144 Hz (step 60 falls due 993 ms after the first, on the
// 143rd frame); a display at 5 Hz is caught up by at most 6 steps a frame (1 + 6 x 10 frames).
test('the world steps 60 times a second whatever the display rate, catching up by 6 at most', async () => {
  for (const [frameMs, steps, frames] of [[1000 / 144, 1, 1], [1000 / 144, 60, 143], [200, 60, 11]]) {
    const page = await browser.newPage();
    await page.addInitScript((ms) => {
      window.displayFrames = 0; // of the program's loop: the first asked for once the view runs
      window.requestAnimationFrame = (tick) => {
        if (!window.programTick && document.body.dataset.state === 'running') window.programTick = tick;
        return setTimeout(() => tick(tick === window.programTick ? ++window.displayFrames * ms : performance.now()));
      };
    }, frameMs);
    await page.goto(server.url + `?frames=${steps}&viewport=128x128`);
    await settled(page, ['ended']);
    assert.equal(await page.evaluate(() => displayFrames), frames, `${steps} steps at ${frameMs} ms a frame`);
    if (steps === 1) // a recording of one frame still says where it ends
      assert.match(readFileSync((await download(page, () => page.click('#save'))).path, 'utf8'), /^1 end$/m);
    await page.close();
  }
});

test('a data folder without the palette says so on the page', async () => {
  const page = await open('?data=nopal');
  const state = await settled(page, ['failed']);
  assert.equal(state.code, '-5');
  assert.match(await page.textContent('#message'), /sc\/nosystem\.pal cannot be read.*-5/s);
  await page.close();
});
