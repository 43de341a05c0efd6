// The page's server and headless Chromium, for scripts/run --web, the screenshot, the bench and
// the browser tests:
//   node scripts/web.mjs serve DIR                  serves DIR on 127.0.0.1 until stopped
//   node scripts/web.mjs screenshot DIR OUT.png     the start view, after the page is ready
//   node scripts/web.mjs bench DIR [WxH]            the page's ?bench: quarvel-tool bench in the browser
import { createServer } from 'node:http';
import { createReadStream, statSync } from 'node:fs';
import { extname, join, normalize, resolve } from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { chromium } = require('playwright-core');

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.ogg': 'audio/ogg', '.wav': 'audio/wav', '.png': 'image/png',
};

// A static server for DIR on 127.0.0.1 on a free port; resolves to { url, close }.
export function serve(dir) {
  const root = resolve(dir);
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://host').pathname));
    let file = join(root, path);
    try {
      if (!file.startsWith(root) || path.includes('\0')) throw new Error('outside');
      if (statSync(file).isDirectory()) file = join(file, 'index.html');
      const size = statSync(file).size;
      response.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream',
        'Content-Length': size, 'Cache-Control': 'no-cache',
        // Cross-origin isolation: the page's clock then ticks in microseconds, not tenths of a
        // millisecond, which the bench's per-frame timings need.
        'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' });
      createReadStream(file).pipe(response);
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found\n');
    }
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => done({
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((closed) => server.close(closed)),
  })));
}

// Debian's Chromium, headless, with nothing that reaches out to the network; as root it needs
// --no-sandbox. Playwright gives it a fresh profile each launch.
export function launch(extraArgs = []) {
  return chromium.launch({
    executablePath: process.env.QUARVEL_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', ...extraArgs],
  });
}

// Waits until the page has started the view, ended or failed (body's data-state).
export async function settled(page, states = ['running', 'ended', 'failed'], timeout = 30000) {
  await page.waitForFunction((wanted) => wanted.includes(document.body.dataset.state), states, { timeout });
  return page.evaluate(() => ({ ...document.body.dataset }));
}

async function main([command, dir, arg]) {
  if (!dir || !['serve', 'screenshot', 'bench'].includes(command)) {
    console.error('usage: node scripts/web.mjs serve|screenshot|bench DIR [OUT.png|WxH]');
    process.exit(2);
  }
  const server = await serve(dir);
  if (command === 'serve') {
    console.log(`web: serving ${dir} at ${server.url} (Ctrl+C stops)`);
    return;
  }
  const browser = await launch();
  try {
    const page = await browser.newPage({ viewport: { width: 1120, height: 760 } });
    if (command === 'screenshot') {
      await page.goto(`${server.url}?frames=30`);
      await settled(page, ['ended', 'failed']);
      await page.screenshot({ path: arg });
    } else {
      await page.goto(`${server.url}?bench&viewport=${arg || '640x480'}`);
      const state = await settled(page, ['ended', 'failed'], 300000);
      console.log((await page.textContent('#bench')) || `bench failed: ${state.code}`);
    }
  } finally {
    await browser.close();
    await server.close();
  }
}

if (import.meta.url === `file://${process.argv[1]}`) await main(process.argv.slice(2));
