// The browser build in headless Chromium: the first frame cold (a new browser), on a
// reload, and installed on a stalled network; the longest wait between two frames while
// the solver gets ready and answers a hint; the browser's CPU over a spell at rest, with
// the game's page open and with a blank page; and what a first visit moves, file by file
// (gzip at its best, as a host would send it; a file fetched twice counts twice), from
// the page's address until the worker keeps the game, served as a host serves (with
// each file's time of change).
// With the bench build's folder, each round's first frame, new browser, is measured too
// on the least page that draws (its bench/gyrelle_web_floor.js), side by side.
// Usage: node web_bench.mjs BUILD_DIRECTORY (its site/) [SECONDS] [ROUNDS] [BENCH_BUILD]
import fs from 'node:fs';
import zlib from 'node:zlib';
import path from 'node:path';

import { decodePng, launchChromium, serve } from '../tests/web/page.mjs';

const root = path.join(path.resolve(process.argv[2] || 'build-web'), 'site');
const seconds = Number(process.argv[3] || 10);
const rounds = Number(process.argv[4] || 3);
const floorRoot = process.argv[5] ? path.join(path.resolve(process.argv[5]), 'bench') : null;
let stalled = false;
const { url, server, requests } =
  await serve(root, () => stalled, (name, data) => data, { lastModified: true });

// CPU seconds of every Chromium process there is (the only browser on this machine).
function chromiumCpu() {
  let ticks = 0;
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const name = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
      if (!/chrom/.test(name)) continue;
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      ticks += Number(fields[11]) + Number(fields[12]);
    } catch {
      // gone meanwhile
    }
  }
  return ticks / 100;  // USER_HZ
}

async function firstFrame(page) {
  const begin = Date.now();
  for (;;) {
    // (A page whose first frame is still being made may not be shot yet: again.)
    const shot = await page.screenshot().then(decodePng, () => null);
    const [r, g, b] = shot ? shot.at(200, 300) : [0, 0, 0];
    if (r || g || b) return Date.now() - begin;
    if (Date.now() - begin > 60000) return NaN;
  }
}

// The longest wait between two of the page's frames from F and H (a hint) until the hint
// marks its face in magenta, the solver's tables built a slice a frame meanwhile.
async function hintGap(page, keys = ['f', 'h']) {
  await page.evaluate((keys) => {
    window.gaps = { longest: 0, last: performance.now() };
    const tick = (t) => {
      window.gaps.longest = Math.max(window.gaps.longest, t - window.gaps.last);
      window.gaps.last = t;
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
    for (const key of keys) {
      window.dispatchEvent(new KeyboardEvent('keydown', { key, code: 'Key' + key.toUpperCase() }));
    }
  }, keys);
  const magenta = ([r, g, b]) => r > 200 && g < 60 && b > 200;
  for (const end = Date.now() + 60000; Date.now() < end;) {
    const shot = decodePng(await page.screenshot());
    let marked = false;
    for (let y = 100; y < 380 && !marked; y += 2) {
      for (let x = 20; x < 300 && !marked; x += 2) marked = magenta(shot.at(x, y));
    }
    if (marked) break;
    await page.waitForTimeout(50);
  }
  return page.evaluate(() => window.gaps.longest);
}

// Every file a first visit fetches, until the worker has kept the game and the network
// is quiet: name, times, and gzip bytes each time.
async function firstVisit() {
  const browser = await launchChromium();
  const page = await (await browser.newContext({ viewport: { width: 320, height: 480 } })).newPage();
  requests.length = 0;
  await page.goto(url);
  await firstFrame(page);
  await page.evaluate(() => navigator.serviceWorker.ready);
  for (let quiet = 0, seen = -1; quiet < 10; ++quiet) {  // a second with no new request
    if (requests.length !== seen) quiet = 0;
    seen = requests.length;
    await page.waitForTimeout(100);
  }
  await browser.close();
  const files = new Map();
  for (const address of requests) {
    let name = decodeURIComponent(new URL(address, 'http://host').pathname).slice(1) || 'index.html';
    const file = path.join(root, name);
    const gzip = fs.existsSync(file) ? zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length : 0;
    const f = files.get(name) || { times: 0, gzip };
    f.times += 1;
    files.set(name, f);
  }
  return files;
}

// The first frame by the page's own clock, from its navigation: the frame after the
// first drawing call of WebGL (a clear or a draw), as the page sees it shown. (A shot's
// own time, tens of milliseconds and more, is not in it.)
const markFirstFrame = () => {
  for (const C of [WebGLRenderingContext, WebGL2RenderingContext]) {
    for (const name of ['clear', 'drawArrays', 'drawElements']) {
      const call = C.prototype[name];
      C.prototype[name] = function (...args) {
        if (window.firstDrawn === undefined) {
          window.firstDrawn = performance.now();
          requestAnimationFrame(() => { window.firstFrame = performance.now(); });
        }
        return call.apply(this, args);
      };
    }
  }
};
async function pageFirstFrame(page) {
  await page.waitForFunction(() => window.firstFrame !== undefined, null, { timeout: 60000 });
  return page.evaluate(() => window.firstFrame);
}

// The least page that draws, cold in a new browser: its first frame.
const floor = floorRoot && await serve(floorRoot);
async function floorFrame() {
  const browser = await launchChromium();
  const context = await browser.newContext({ viewport: { width: 320, height: 480 } });
  await context.addInitScript(markFirstFrame);
  const page = await context.newPage();
  const body = `<!doctype html><html><body style="margin:0;background:#000">
    <canvas id="canvas" width="320" height="480" style="display:block"></canvas>
    <script src="gyrelle_web_floor.js"></script></body></html>`;
  await page.route('**/floor.html', (route) => route.fulfill({ body, contentType: 'text/html' }));
  const begin = Date.now();
  await page.goto(floor.url + 'floor.html');
  const ms = Date.now() - begin + await firstFrame(page);
  figures.floorPage.push(await pageFirstFrame(page));
  await browser.close();
  return ms;
}

const visit = await firstVisit();
const figures = { cold: [], warm: [], stalled: [], gap: [], hardGap: [], game: [], blank: [], floor: [],
                  coldPage: [], floorPage: [] };
for (let round = 0; round < rounds; ++round) {
  if (floor) figures.floor.push(await floorFrame());
  const browser = await launchChromium();
  const context = await browser.newContext({ viewport: { width: 320, height: 480 } });
  await context.addInitScript(markFirstFrame);
  const page = await context.newPage();
  let begin = Date.now();
  await page.goto(url);
  figures.cold.push(Date.now() - begin + await firstFrame(page));
  figures.coldPage.push(await pageFirstFrame(page));
  begin = Date.now();
  await page.reload();
  figures.warm.push(Date.now() - begin + await firstFrame(page));
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null,
                             { timeout: 30000 });
  stalled = true;
  begin = Date.now();
  await page.goto(url, { waitUntil: 'commit', timeout: 5000 }).catch(() => {});
  figures.stalled.push(Date.now() - begin + await firstFrame(page));
  stalled = false;
  figures.gap.push(await hintGap(page));
  // The hardest position (the superflip with four spots) by its address, and a hint.
  await page.goto(url + '#position=UFURULUBULULBRFLDLBUBRFLBDBDBDRDLDFDRURFLBRDRFUFLBRFDF');
  await page.waitForTimeout(500);
  figures.hardGap.push(await hintGap(page, ['h']));
  // At rest: the game opened afresh, no hint asked (after one the page builds the
  // solver's large table for half a minute, between its frames).
  for (const [name, target] of [['game', url], ['blank', 'about:blank']]) {
    await page.goto(target);
    await page.waitForTimeout(2000);  // settle
    const before = chromiumCpu();
    await page.waitForTimeout(seconds * 1000);
    figures[name].push(100 * (chromiumCpu() - before) / seconds);
  }
  await browser.close();
}
server.close();
if (floor) floor.server.close();

const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
const spread = (v) => {
  const s = [...v].sort((a, b) => a - b);
  return `${s[0].toFixed(1)} / ${s[Math.floor(s.length / 2)].toFixed(1)} / ${s.at(-1).toFixed(1)}`;
};
const size = (f) => `${(fs.statSync(path.join(root, f)).size / 1024).toFixed(0)} KB`;
console.log(`browser build, ${rounds} rounds; min / median / max`);
console.log(`| first frame, new browser, ms | ${spread(figures.cold)} |`);
if (floor) {
  const ratio = median(figures.coldPage) / median(figures.floorPage);
  console.log(`| first frame, new browser, least page that draws, ms | ${spread(figures.floor)} |`);
  console.log(`| first frame by the page's clock, new browser: game, least page, ms | ${spread(figures.coldPage)}, ${spread(figures.floorPage)} |`);
  console.log(`| first frame against the least page (page's clock), medians | ${ratio.toFixed(2)} x | <= 1.15 | ${ratio <= 1.15 ? 'met' : 'MISSED'} |`);
}
console.log(`| first frame, reload, ms | ${spread(figures.warm)} |`);
const target = (v, limit) => `<= ${limit} | ${median(v) <= limit ? 'met' : 'MISSED'}`;
console.log(`| first frame installed, stalled network, ms | ${spread(figures.stalled)} | ${target(figures.stalled, 1000)} |`);
console.log(`| longest frame gap, solver readied for a hint, ms | ${spread(figures.gap)} | ${target(figures.gap, 250)} |`);
console.log(`| longest frame gap, a hint on the superflip with four spots, ms | ${spread(figures.hardGap)} | ${target(figures.hardGap, 50)} |`);
console.log(`| browser CPU at rest over ${seconds} s, game open, % | ${spread(figures.game)} |`);
console.log(`| browser CPU at rest over ${seconds} s, blank page, % | ${spread(figures.blank)} |`);
console.log(`| gyrelle.js, gyrelle.wasm | ${size('gyrelle.js')}, ${size('gyrelle.wasm')} |`);
let visitBytes = 0, twice = 0;
for (const [name, f] of [...visit].sort((a, b) => b[1].gzip - a[1].gzip)) {
  visitBytes += f.times * f.gzip;
  if (f.times > 1) twice += 1;
  console.log(`| first visit: ${name}${f.times > 1 ? ` (${f.times} times)` : ''}, KiB gzip | ${(f.gzip / 1024).toFixed(1)} |`);
}
const kib = visitBytes / 1024;
console.log(`| first visit, all, KiB gzip | ${kib.toFixed(1)} | <= 184 | ${kib <= 184 ? 'met' : 'MISSED'} |`);
console.log(`| first visit, files fetched more than once | ${twice} | 0 | ${twice === 0 ? 'met' : 'MISSED'} |`);
