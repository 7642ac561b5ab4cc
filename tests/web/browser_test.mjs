// The browser build played in Debian's Chromium, headless, through playwright-core:
// the start-up picture, touches (a swipe, a twist, a double tap), a shake, the overlay,
// letters, the cube kept across a reload, a hint, solve-for-me and a competition scramble.
// Usage: node browser_test.mjs BUILD_DIRECTORY (its site/ is served)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { decodePng, launchChromium, serve } from './page.mjs';

const site = path.join(path.resolve(process.argv[2] || 'build-web'), 'site');
let stalled = false;
// A second version of the site: its page marked, its worker's cache named anew.
let version = 1;
const { url, server, requests } = await serve(site, () => stalled, (name, data) => {
  if (version === 1) return data;
  if (name.endsWith('/sw.js')) {
    return Buffer.from(String(data).replace(/const CACHE = '([^']*)'/, "const CACHE = '$1-2'"));
  }
  if (name.endsWith('/index.html')) {
    return Buffer.from(String(data).replace('<meta charset="utf-8">',
                                            '<meta charset="utf-8"><meta name="version" content="2">'));
  }
  return data;
});

// --- Where the cube's points land: the orthographic box -2.5..2.5 by -3.75..3.75 -----
function rotate(v, axis, angle) {
  const n = Math.hypot(...axis), k = axis.map((a) => a / n);
  const c = Math.cos(angle), s = Math.sin(angle), d = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
  const cross = [k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]];
  return v.map((x, i) => x * c + cross[i] * s + k[i] * d * (1 - c));
}
const startOrientation = (v) => rotate(v, [1, 1, 0], 0.6981311);
// The point of the 320 x 480 page over a point of the screen space (x right, y up).
const onPage = (p) => ({ x: Math.floor((p[0] + 2.5) / 5 * 320) + 0.5,
                         y: 479 - Math.floor((p[1] + 3.75) / 7.5 * 480) + 0.5 });
const frontSticker = (column, row) => startOrientation([column, row, 1.501]);

const isRed = ([r, g, b]) => r > 200 && g < 40 && b < 40;
const isGreen = ([r, g, b]) => g > 150 && r < 60 && b < 60;
const isWhite = ([r, g, b]) => r > 240 && g > 240 && b > 240;
const isBlack = ([r, g, b]) => r < 10 && g < 10 && b < 10;

// --- The browser -----------------------------------------------------------------------
const browser = await launchChromium();
// Files the tests download or hand to the page; removed however the run ends.
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'gyrelle-web-'));
process.on('exit', () => fs.rmSync(scratch, { recursive: true, force: true }));
const problems = [];
let page, cdp, scale = 1;

// A page of its own, with storage of its own: no test sees another's cube; `pixelRatio`
// backing pixels to a CSS pixel, as on a phone's screen.
// `before`: a script run in the page before its own.
// The page before is closed: a game left playing would slow the tests that follow.
let context = null;
async function fresh(pixelRatio = 1, before = null, viewport = { width: 320, height: 480 }) {
  scale = pixelRatio;
  if (context) await context.close();
  context = await browser.newContext({ viewport, deviceScaleFactor: pixelRatio, hasTouch: true });
  page = await context.newPage();
  cdp = await context.newCDPSession(page);
  page.on('pageerror', (error) => problems.push(error.message));
  if (before) await context.addInitScript(before);  // and on any page opened after
  const begin = Date.now();
  await page.goto(url);
  if (!(await started()).ok) throw new Error('no cube on the page');
  return Date.now() - begin;
}
async function picture() {
  return decodePng(await page.screenshot());
}
const pixel = (shot, p) => shot.at(Math.floor(p.x * scale), Math.floor(p.y * scale));
// Waits until the pixel at `point` satisfies `want`; false after `seconds`. A page just
// committed may have no frame to capture yet ("Unable to capture screenshot"): not yet.
async function shows(point, want, seconds = 5) {
  const end = Date.now() + seconds * 1000;
  do {
    const shot = await picture().catch((error) => {
      if (!String(error).includes('Unable to capture screenshot')) throw error;
      return null;
    });
    if (shot && want(pixel(shot, point))) {
      return true;
    }
    await page.waitForTimeout(50);
  } while (Date.now() < end);
  return false;
}
async function touch(type, points) {
  await cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map((p, id) => ({ x: p.x, y: p.y, id })),
  });
  await page.waitForTimeout(20);
}
// The cube on the page. A cold start of WebGL on a software rasteriser takes seconds.
async function started() {
  return { ok: await shows(onPage(frontSticker(0, 0)), (c) => !isBlack(c), 40) };
}

// The front's stickers around its centre.
const around = [[-1, -1], [0, -1], [1, -1], [-1, 0], [1, 0], [-1, 1], [0, 1], [1, 1]];
const results = [];
// GYRELLE_WEB_TESTS: a pattern of the names of the tests to run (all by default).
const only = process.env.GYRELLE_WEB_TESTS ? new RegExp(process.env.GYRELLE_WEB_TESTS) : null;
async function test(name, body) {
  if (only && !only.test(name)) return;
  try {
    const failure = await body();
    results.push({ name, failure });
  } catch (error) {
    results.push({ name, failure: String(error) });
  }
  console.log(`${results.at(-1).failure ? 'FAILED' : 'ok    '} ${name}${results.at(-1).failure ? ': ' + results.at(-1).failure : ''}`);
}

let cold = 0, warm = 0;
await test('the start-up picture', async () => {
  cold = await fresh();
  const shot = await picture();
  const at = (p) => pixel(shot, onPage(p));
  if (!isRed(at(frontSticker(0, 0)))) return 'the front is not red';
  if (!isGreen(at(startOrientation([0, 1.501, 0])))) return 'the top is not green';
  if (!isWhite(at(startOrientation([-1.501, 0, 0])))) return 'the left is not white';
  if (!isBlack(pixel(shot, { x: 10, y: 10 }))) return 'the background is not black';
  return null;
});

// On a screen of two pixels to the point: the pick reads backing pixels.
await test('a swipe by touch turns the bottom layer', async () => {
  await fresh(2);
  const from = onPage(frontSticker(-1, -1)), to = onPage(frontSticker(0, -1));
  await touch('touchStart', [from]);
  await touch('touchMove', [from]);  // the first movement only arms the swipe
  for (let i = 1; i <= 4; ++i) {
    await touch('touchMove', [{ x: from.x + (to.x - from.x) * i / 4, y: from.y + (to.y - from.y) * i / 4 }]);
  }
  await touch('touchEnd', []);
  // The bottom layer turns to the right: the left face's white comes round.
  return await shows(from, isWhite) ? null : 'the front\'s bottom left did not turn white';
});

// The browser takes the GPU back (another app, memory pressure) and gives it again: the
// picture returns, and the pick still finds the stickers. On a screen of two pixels to
// the point, in the colour-blind scheme: the window's picture then differs from the one
// the pick reads, so a pick that lost its own framebuffer (a view not laid out again)
// and read the window's finds no sticker.
await test('a lost graphics context comes back, and a swipe still turns', async () => {
  await fresh(2);
  const key = (k) => page.evaluate((k) => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: k, code: k.length > 1 ? k : 'Key' + k.toUpperCase() }));
  }, k);
  for (const k of ['F3', 'c', 'c', 'Escape']) await key(k);  // classic, high contrast, colour-blind
  const vermillion = ([r, g, b]) => r === 213 && g === 94 && b === 0;
  if (!await shows(onPage(frontSticker(-1, -1)), vermillion)) return 'no colour-blind scheme';
  // A touch on a sticker: the pick makes its framebuffer, which the loss takes with it.
  await tap(onPage(frontSticker(1, 1)));
  await page.waitForTimeout(500);  // past a double tap's interval: one tap, which turns nothing
  // Lost, and once the page has been told so, given back.
  await page.evaluate(() => new Promise((resolve) => {
    const canvas = document.getElementById('canvas');
    window.lose = canvas.getContext('webgl2').getExtension('WEBGL_lose_context');
    canvas.addEventListener('webglcontextlost', () => setTimeout(resolve, 0), { once: true });
    window.lose.loseContext();
  }));
  await page.evaluate(() => window.lose.restoreContext());
  const from = onPage(frontSticker(-1, -1)), to = onPage(frontSticker(0, -1));
  if (!await shows(from, vermillion)) return 'no picture after the context came back';
  await touch('touchStart', [from]);
  await touch('touchMove', [from]);
  for (let i = 1; i <= 4; ++i) {
    await touch('touchMove', [{ x: from.x + (to.x - from.x) * i / 4, y: from.y + (to.y - from.y) * i / 4 }]);
  }
  await touch('touchEnd', []);
  if (!await shows(from, isWhite)) return 'the swipe did not turn the bottom layer';
  // The bottom layer alone: the whole cube did not turn (as a drag of the background does).
  const shot = await picture();
  return [frontSticker(0, 0), frontSticker(1, 1)].every((p) => vermillion(pixel(shot, onPage(p))))
    ? null : 'the swipe turned the whole cube, as a touch on no sticker does';
});

await test('two fingers twisted turn the cube about the screen normal', async () => {
  await fresh();
  let left = { x: 60, y: 240 }, right = { x: 260, y: 240 };
  await touch('touchStart', [left, right]);
  const step = async (d) => {
    left = { x: left.x, y: left.y + d };
    right = { x: right.x, y: right.y - d };
    await touch('touchMove', [left, right]);
  };
  await step(1);  // swallowed: the first movement
  for (let i = 0; i < 5; ++i) await step(10);
  await step(1);  // slowly at the end: no spin is left
  await touch('touchEnd', []);
  // c = 20 * 200 per step of 10, 2 * 200 for the last; 4.7e-5 rad a unit, counter-clockwise.
  const angle = (5 * 4000 + 400) * 4.7e-5;
  const centre = rotate(frontSticker(0, 0), [0, 0, 1], angle);
  return await shows(onPage(centre), isRed) ? null : 'the front centre is not where the twist took it';
});

await test('a double tap brings a face up', async () => {
  await fresh();
  const top = onPage(startOrientation([0, 1.2, 0.2]));
  if (!await shows(top, isGreen)) return 'the top was not green to begin with';
  const face = onPage(frontSticker(0, 0));
  for (let i = 0; i < 2; ++i) {
    await touch('touchStart', [face]);
    await touch('touchEnd', []);
  }
  return await shows(top, isRed) ? null : 'the red face did not come up';
});

await test('a shake scrambles the solved cube', async () => {
  await fresh();
  const shake = () => page.evaluate(() => {
    window.dispatchEvent(new DeviceMotionEvent('devicemotion', {
      accelerationIncludingGravity: { x: 30, y: -9.8, z: 0 }, interval: 40,
    }));
  });
  for (let i = 0; i < 5; ++i) {
    await shake();
    await page.waitForTimeout(60);
  }
  const end = Date.now() + 5000;
  while (Date.now() < end) {
    const shot = await picture();
    const moved = around.some(([c, r]) => !isRed(pixel(shot, onPage(frontSticker(c, r)))));
    if (moved) return null;
    await page.waitForTimeout(100);
  }
  return 'the front is still all red';
});

// On from the scrambled cube of the shake.
await test('the cube is kept across a reload', async () => {
  await page.waitForTimeout(3000);  // saved two seconds after the cube comes to rest
  const before = await picture();
  const begin = Date.now();
  await page.reload();
  if (!(await started()).ok) return 'no cube after the reload';
  warm = Date.now() - begin;
  await page.waitForTimeout(500);
  const after = await picture();
  for (const [c, r] of around) {
    const p = onPage(frontSticker(c, r));
    if (String(pixel(before, p)) !== String(pixel(after, p))) {
      return `the sticker at ${c},${r} changed`;
    }
  }
  return null;
});

// Published as it stands: the site's folder holds the site and nothing of the build.
await test('the site folder holds the site alone', async () => {
  const want = ['index.html', 'gyrelle.js', 'gyrelle.wasm', 'manifest.webmanifest', 'sw.js',
                'gyrelle.svg', 'gyrelle-maskable.png', 'gyrelle-48.png', 'gyrelle-64.png',
                'gyrelle-128.png', 'gyrelle-192.png', 'gyrelle-256.png', 'gyrelle-512.png'];
  const have = fs.readdirSync(site);
  return String(have.sort()) === String(want.sort()) ? null : `it holds ${have.join(' ')}`;
});

// Two tabs of one browser: the second says the game is open elsewhere; taking it over
// makes the first save its game first, so the turn it made just before is not lost. With
// Web Locks, and with a BroadcastChannel alone where a browser has no locks.
await test('a second tab takes the game over with the first one\'s last turn', async () => {
  const noLocks = () => { Object.defineProperty(navigator, 'locks', { value: undefined }); };
  for (const [how, before] of [['locks', null], ['no locks', noLocks]]) {
    await fresh(1, before);
    const first = page;
    const second = await first.context().newPage();
    second.on('pageerror', (error) => problems.push(error.message));
    await second.goto(url);
    const told = await second.waitForFunction(
        () => document.getElementById('elsewhere').className === 'shown' &&
              document.getElementById('elsewhere-text').textContent,
        null, { timeout: 20000 }).catch(() => null);
    if (!told || !/open in another tab/.test(await told.jsonValue())) {
      return `${how}: the second tab does not say the game is open in another`;
    }
    // The turn, then the take-over at once: well before the first would save by itself.
    const topFront = onPage(startOrientation([0, 1.501, 1]));
    await first.evaluate(() => {
      window.dispatchEvent(new KeyboardEvent('keydown', { key: 'f', code: 'KeyF' }));
    });
    if (!await shows(topFront, isWhite)) return `${how}: F did not turn the front`;
    await second.click('#elsewhere-button');
    page = second;
    if (!await shows(topFront, isWhite, 40)) {
      return `${how}: the second tab has not the first one's turn`;
    }
    const firstSays = await first.evaluate(
        () => document.getElementById('elsewhere').className + ' ' +
              document.getElementById('elsewhere-text').textContent);
    if (!/^shown .*now played in another tab/.test(firstSays)) {
      return `${how}: the first tab says "${firstSays}"`;
    }
  }
  return null;
});

// A phone upright, 390 x 844 CSS pixels at three pixels each: the view is 390 x 585 with
// bars of 129.5 above and below, 1.21875 CSS pixels a point. The 25-point buttons are
// touched within 48 CSS pixels: here, in the bar under the view, just inside that area.
await test('the buttons are hit within 48 CSS pixels on a phone', async () => {
  const phone = (p) => ({ x: p.x * 1.21875, y: 129.5 + p.y * 1.21875 });
  const centre = phone(onPage(frontSticker(0, 0)));
  const topFront = phone(onPage(startOrientation([0, 1.501, 1])));
  await fresh(3, null, { width: 390, height: 844 });
  if (!await shows(centre, isRed, 40)) return 'no cube';
  // The "i": its area is 342..390 by 675.3..723.3.
  await tap({ x: 343, y: 722.5 });
  const dimmed = ([r, g, b]) => r > 60 && r < 120 && g < 20 && b < 20;
  if (!await shows(centre, dimmed)) return 'a touch by the "i" did not open the instructions';
  await tap({ x: 195, y: 300 });
  if (!await shows(centre, isRed)) return 'the instructions did not close';
  // The undo arrow, once there is a turn: 0..48 by the same rows.
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'f', code: 'KeyF' }));
  });
  if (!await shows(topFront, isWhite)) return 'F did not turn the front';
  await page.waitForTimeout(300);
  await tap({ x: 47, y: 722.5 });
  if (!await shows(topFront, isGreen)) return 'a touch by the undo arrow did not undo';
  // Just outside the area: nothing.
  await tap({ x: 341, y: 722.5 });
  await page.waitForTimeout(500);
  return await shows(centre, isRed, 0.5) ? null : 'a touch outside the "i"\'s area opened it';
});

// Where IndexedDB is refused (cookies blocked, some private modes) or missing, the game
// says once that it keeps nothing, and plays: F turns the front.
await test('without storage the game says so and plays on', async () => {
  const refuse = () => {
    IDBFactory.prototype.open = () => { throw new DOMException('refused', 'SecurityError'); };
  };
  const remove = () => {
    Object.defineProperty(window, 'indexedDB', { get: () => undefined, configurable: true });
  };
  for (const [how, before] of [['refused', refuse], ['missing', remove]]) {
    await fresh(1, before);
    const said = await page.waitForFunction(() => document.getElementById('notice').textContent,
                                            null, { timeout: 5000 }).catch(() => null);
    const text = said && await said.jsonValue();
    if (text !== 'This browser keeps nothing here: the cube lasts until the page closes') {
      return `${how}: the page says "${text}"`;
    }
    const topFront = onPage(startOrientation([0, 1.501, 1]));
    await page.evaluate(() => {
      window.dispatchEvent(new KeyboardEvent('keydown', { key: 'f', code: 'KeyF' }));
    });
    if (!await shows(topFront, isWhite)) return `${how}: F did not turn the front`;
    await page.waitForTimeout(3000);  // past a save: it is not attempted, nothing throws
  }
  return problems.length ? `the page threw: ${problems.join('; ')}` : null;
});

// A phone's first visit on a slow network: each file of the site crosses it once, the
// worker keeping what the page has just fetched (before, it fetched the page, the script,
// the WebAssembly and the icon again, past the browser's cache), and no more than the
// page asks for (before, the worker fetched the manifest's seven icons too, 90 KiB).
await test('a first visit fetches each file once', async () => {
  const from = requests.length;
  await fresh();
  // Until the worker keeps the page, script, WebAssembly, manifest and the page's icon.
  const kept = () => page.evaluate(async () => {
    const names = await caches.keys();
    return names.length ? (await (await caches.open(names[0])).keys()).length : 0;
  });
  for (const end = Date.now() + 30000; (await kept()) < 5;) {
    if (Date.now() > end) return `the worker keeps ${await kept()} files`;
    await page.waitForTimeout(100);
  }
  const asked = {};
  for (const r of requests.slice(from)) {
    const name = new URL(r, url).pathname;
    asked[name] = (asked[name] || 0) + 1;
  }
  const twice = Object.entries(asked).filter(([, n]) => n > 1);
  if (twice.length) return `fetched more than once: ${JSON.stringify(asked)}`;
  const icons = Object.keys(asked).filter((name) => name.endsWith('.png'));
  return icons.length ? `fetched icons the page does not ask for: ${icons.join(' ')}` : null;
});

// Installed, then opened where every request is taken and never answered. (How soon:
// make bench, which holds it to a second.)
await test('on a stalled network the installed page starts from its cache', async () => {
  await fresh();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null,
                             { timeout: 30000 });
  await page.waitForTimeout(500);
  stalled = true;
  try {
    const begin = Date.now();
    await page.goto(url, { waitUntil: 'commit', timeout: 5000 }).catch(() => {});
    if (!await shows(onPage(frontSticker(0, 0)), isRed, 20)) return 'no cube';
    console.log(`       the first frame on a stalled network after ${Date.now() - begin} ms`);
    return null;
  } finally {
    stalled = false;
  }
});

// A new version is fetched in the background while the old one plays on from its cache,
// and is taken at the next start, once the old one's page is closed.
await test('a new version is taken at the next start', async () => {
  await fresh();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null,
                             { timeout: 30000 });
  const marked = () => page.evaluate(() => !!document.querySelector('meta[name=version]'));
  try {
    version = 2;
    await page.reload();
    // A browser looks for a new version as pages of the site open, in its own time: the
    // test asks at once. (waitForFunction takes the promise of an async test as true.)
    await page.evaluate(async () => (await navigator.serviceWorker.getRegistration()).update());
    const waiting = () => page.evaluate(
        async () => !!(await navigator.serviceWorker.getRegistration()).waiting);
    for (const end = Date.now() + 30000; !(await waiting());) {
      if (Date.now() > end) return 'no new version waits';
      await page.waitForTimeout(100);
    }
    if (await marked()) return 'the new version was taken while the old one was open';
    // Taken at the first start once the old page is gone: its renderer goes a moment after
    // it closes, and until then a start is still the old version's.
    await page.close();
    for (const end = Date.now() + 30000; ;) {
      page = await context.newPage();
      page.on('pageerror', (error) => problems.push(error.message));
      await page.goto(url);
      if (await marked()) break;
      if (Date.now() > end) return 'the new version was not taken at the next start';
      await page.close();
      await new Promise((resolve) => setTimeout(resolve, 200));
    }
    return (await started()).ok ? null : 'no cube in the new version';
  } finally {
    version = 1;
  }
});

// A whole-cube drag by touch released at once spins; one that rests 0.3 s does not.
await test('a drag released at once spins, one that rested first does not', async () => {
  await fresh();
  const spinning = async (rest) => {
    await touch('touchStart', [{ x: 20, y: 100 }]);
    for (const x of [21, 30, 40]) await touch('touchMove', [{ x, y: 100 }]);  // 0.12 rad
    await page.waitForTimeout(rest);
    await touch('touchEnd', []);
    const first = await page.screenshot();
    await page.waitForTimeout(300);
    const moved = !first.equals(await page.screenshot());
    await tap({ x: 20, y: 100 });  // stops it
    return moved;
  };
  if (await spinning(300)) return 'the cube spins after a rest';
  return await spinning(0) ? null : 'the cube does not spin after a quick release';
});

await test('the overlay opens and closes', async () => {
  await fresh();
  const centre = onPage(frontSticker(0, 0));
  await touch('touchStart', [{ x: 307, y: 467 }]);
  await touch('touchEnd', []);
  // Under the overlay's 62.5 % black the red is dimmed; the title is yellow, dimmed too.
  const dimmed = ([r, g, b]) => r > 60 && r < 120 && g < 20 && b < 20;
  if (!await shows(centre, dimmed)) return 'the cube is not dimmed';
  const shot = await picture();
  let yellow = 0;
  for (let y = 10; y < 45; ++y) for (let x = 100; x < 220; ++x) {
    const [r, g, b] = shot.at(x, y);
    if (r > 130 && g > 130 && b < 60) ++yellow;  // seen through the overlay too
  }
  if (yellow < 20) return 'no yellow title';
  await touch('touchStart', [{ x: 160, y: 240 }]);
  await touch('touchEnd', []);
  return await shows(centre, isRed) ? null : 'the overlay did not close';
});

// Letters are read as the keyboard's layout prints them (here "f" where a US keyboard
// has U, as on a Dvorak layout): F turns the front clockwise, bringing the left face's
// white to the top's front row; Shift+F turns it back.
await test('the letter on the key turns that face', async () => {
  await fresh();
  const topFront = onPage(startOrientation([0, 1.501, 1]));
  const type = (key, shiftKey) => page.evaluate(([key, shiftKey]) => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key, code: 'KeyU', shiftKey }));
  }, [key, shiftKey]);
  await type('f', false);
  if (!await shows(topFront, isWhite)) return 'the front did not turn';
  await type('F', true);
  return await shows(topFront, isGreen) ? null : 'Shift+F did not turn it back';
});

// Browsers keep Ctrl+N for a new window: Alt+N is the new game, also where Alt makes the
// key print something else (a Mac's Option+N is a dead tilde).
await test('Alt+N is a new game', async () => {
  await fresh();
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: '˜', code: 'KeyN', altKey: true }));
  });
  const end = Date.now() + 5000;
  while (Date.now() < end) {
    const shot = await picture();
    if (around.some(([c, r]) => !isRed(pixel(shot, onPage(frontSticker(c, r)))))) return null;
    await page.waitForTimeout(100);
  }
  return 'the front is still all red: no scramble';
});

// The menu at the strip's right end gives fingers the hint and solve-for-me. After F the
// hint outlines a face in magenta; solve-for-me plays F' and the front is red again. The
// tables are built here, a slice a frame: the page goes on drawing meanwhile.
const isMagenta = ([r, g, b]) => r > 200 && g < 60 && b > 200;
// The page's menu holds eleven (Share and the trainer too): two columns of 148 x 48 points
// from x 8 and 164, rows 64 apart from y 56; Hint and Solve for me are the first row's.
const menu = { x: 302, y: 12 }, hintItem = { x: 82, y: 80 }, solveItem = { x: 238, y: 80 };
async function tap(p) {
  await touch('touchStart', [p]);
  await touch('touchEnd', []);
}
// Whether a hint's magenta mark comes on the cube within a minute.
async function hintMarked() {
  const end = Date.now() + 60000;
  let marked = false;
  while (!marked && Date.now() < end) {
    const shot = await picture();
    for (let y = 100; y < 380 && !marked; y += 2) {
      for (let x = 20; x < 300 && !marked; x += 2) marked = isMagenta(shot.at(x, y));
    }
    if (!marked) await page.waitForTimeout(100);
  }
  return marked;
}
await test('a hint and solve-for-me by touch', async () => {
  await fresh();
  const topFront = onPage(startOrientation([0, 1.501, 1]));
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'f', code: 'KeyF' }));
  });
  if (!await shows(topFront, isWhite)) return 'F did not turn the front';
  // The longest wait between two of the page's frames while the solver gets ready.
  await page.evaluate(() => {
    window.gaps = { longest: 0, last: performance.now(), frames: 0 };
    const tick = (t) => {
      window.gaps.longest = Math.max(window.gaps.longest, t - window.gaps.last);
      window.gaps.last = t;
      ++window.gaps.frames;
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  });
  await tap(menu);
  await page.waitForTimeout(300);
  await tap(hintItem);
  const marked = await hintMarked();
  const gaps = await page.evaluate(() => window.gaps);
  console.log(`       the solver ready and the hint shown after ${gaps.frames} frames, ` +
              `the longest between two ${Math.round(gaps.longest)} ms`);
  if (!marked) return 'no face marked';
  // That no frame waits for the tables or the search is measured by make bench: a frame
  // gap is the machine's as much as the game's.
  await tap(menu);
  await page.waitForTimeout(300);
  await tap(solveItem);
  if (!await shows(topFront, isGreen, 10)) return 'solve-for-me did not turn F back';
  const shot = await picture();
  return around.every(([c, r]) => isRed(pixel(shot, onPage(frontSticker(c, r))))) ? null
      : 'the front is not all red';
});

// Alt+C: Ctrl+Shift+N is the browser's private window, Alt+Shift the system's layout
// switch. The cube is put at once into another position, and the strip shows its turns.
await test('Alt+C is a competition scramble with its turns in the strip', async () => {
  await fresh();
  const strip = async () => {
    const shot = await picture();
    let lit = 0;
    for (let y = 2; y < 22; ++y) for (let x = 40; x < 280; ++x) lit += !isBlack(shot.at(x, y));
    return lit;
  };
  if (await strip() !== 0) return 'the strip is not empty to begin with';
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'ç', code: 'KeyC', altKey: true }));
  });
  const end = Date.now() + 60000;
  while (Date.now() < end) {
    const shot = await picture();
    if (around.some(([c, r]) => !isRed(pixel(shot, onPage(frontSticker(c, r)))))) {
      return await strip() > 100 ? null : 'no scramble text in the strip';
    }
    await page.waitForTimeout(100);
  }
  return 'the front is still all red: no scramble';
});

// The toolbar in the bar under the view of a phone held upright (as above: 1.21875 CSS
// pixels a point, the view from 129.5), touched: two rows of buttons 56 x 39.4 points
// (48 CSS pixels high), 4 apart, centred in the 106.3 points under the view: two rows of
// five (Share the tenth, in a browser) from x 12, at y 491.75 and 535.1. Settings (row two, third) opens the
// panel, its Colours button steps twice to the colour-blind scheme, Done closes it: the
// front shows Okabe and Ito's vermillion, and a swipe still turns its slice (the pick
// reads the stickers' own colours); Undo (row one, second) turns it back.
await test('the toolbar by touch on a phone, the colour-blind scheme with it', async () => {
  const phone = (p) => ({ x: p.x * 1.21875, y: 129.5 + p.y * 1.21875 });
  const button = (row, i) => phone({ x: 12 + i * 60 + 28,
                                     y: 491.75 + row * 43.38 + 19.69 });
  const centre = phone(onPage(frontSticker(0, 0)));
  await fresh(3, null, { width: 390, height: 844 });
  if (!await shows(centre, isRed, 40)) return 'no cube';
  const shot = await picture();
  if (isBlack(pixel(shot, button(1, 2)))) return 'no toolbar button under the view';
  // The panel's Done button lies over the black under the cube.
  const done = phone({ x: 160, y: 424 });
  if (!isBlack(pixel(shot, done))) return 'something under the cube before the panel';
  await tap(button(1, 2));
  if (!await shows(done, (p) => !isBlack(p))) return 'Settings did not open its panel';
  await tap(phone({ x: 160, y: 84 }));
  await tap(phone({ x: 160, y: 84 }));
  await tap(done);
  const vermillion = ([r, g, b]) => r === 213 && g === 94 && b === 0;
  if (!await shows(centre, vermillion)) return `the front is ${pixel(await picture(), centre)}`;
  const from = phone(onPage(frontSticker(-1, 1))), to = phone(onPage(frontSticker(0, 1)));
  await touch('touchStart', [from]);
  await touch('touchMove', [from]);
  await touch('touchMove', [to]);
  await touch('touchEnd', []);
  const topRow = phone(onPage(frontSticker(0, 1)));
  if (!await shows(topRow, (p) => !vermillion(p) && !isBlack(p))) {
    return 'the swipe under the colour-blind scheme turned nothing';
  }
  await page.waitForTimeout(300);
  await tap(button(0, 1));
  return await shows(topRow, vermillion) ? null : 'Undo in the toolbar did not undo';
});

// A position sent as an address: opened, it is the cube (after R the front's right column
// is blue), the address loses it (a reload plays on from the saved cube); a code that is
// none says so over the cube and leaves the saved one.
const afterR = 'UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB';
const isBlue = ([r, g, b]) => b > 200 && r < 10 && g < 10;
await test('an address with #position= opens that position', async () => {
  await fresh(1, () => {
    if (!sessionStorage.getItem('opened')) {
      sessionStorage.setItem('opened', '1');
      location.hash = '#position=UUX';
    }
  });
  const centre = onPage(frontSticker(0, 0));
  const covered = ([r, g, b]) => r > 5 && r < 25 && g < 10 && b < 10;  // under a message
  if (!await shows(centre, covered)) return 'no message for a code that is none';
  if (await page.evaluate(() => location.hash) !== '') return 'the address kept the bad code';
  // Into the open page: it starts again with the position.
  await Promise.all([page.waitForEvent('load'),
                     page.evaluate((code) => { location.hash = '#position=' + code; }, afterR)]);
  if (!await shows(onPage(frontSticker(1, 1)), isBlue)) return 'the position was not opened';
  if (await page.evaluate(() => location.hash) !== '') return 'the address kept the code';
  await page.waitForTimeout(2500);  // saved two seconds after the cube comes to rest
  await page.reload();
  if (!await started()) return 'no cube after a reload';
  return await shows(onPage(frontSticker(1, 1)), isBlue) ? null : 'the reload lost the position';
});

// Share puts the page's address with the position in it on the clipboard (no share sheet
// in a desktop Chromium), and says so in the status line.
await test('Share gives the address of the position', async () => {
  await fresh();
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  await tap(menu);
  await tap({ x: 82, y: 56 + 5 * 64 + 24 });  // the eleventh item, alone in its row
  const end = Date.now() + 5000;
  let text = '';
  while (Date.now() < end && !(text = await page.evaluate(() => navigator.clipboard.readText()))) {
    await page.waitForTimeout(100);
  }
  const solved = 'UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB';
  if (text !== url + '#position=' + solved) return `the clipboard holds "${text}"`;
  const notice = await page.evaluate(() => document.getElementById('notice').textContent);
  return notice.startsWith('The address of this position is copied') ? null : `said "${notice}"`;
});

// A replay sent as an address opens in the page over the game: at its start (after R the
// front's right column is blue), played by Space to the solved cube, sent on by its Share
// (the page's address with the replay in it), put back to its start by Home; Escape
// closes it, and the game's own cube (solved) shows again.
await test('an address with #replay= opens a replay that plays and is shared', async () => {
  await fresh();
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const replay = "#replay=" + afterR + "_-_R'@0";
  await page.goto(url + '?replay' + replay);  // a page of its own: no reload
  if (!await shows(onPage(frontSticker(1, 1)), isBlue)) return 'the replay did not open';
  const key = (key, code) => page.evaluate(([key, code]) => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key, code }));
  }, [key, code]);
  await key(' ', 'Space');
  if (!await shows(onPage(frontSticker(1, 1)), isRed)) return 'Space did not play it';
  await tap({ x: 222, y: 26 });  // Share, in the replay's top strip
  const end = Date.now() + 5000;
  let text = '';
  while (Date.now() < end && !(text = await page.evaluate(() => navigator.clipboard.readText()))) {
    await page.waitForTimeout(100);
  }
  if (!text.endsWith(replay)) return `the clipboard holds "${text}"`;
  await key('Home', 'Home');
  if (!await shows(onPage(frontSticker(1, 1)), isBlue)) return 'Home did not go to the start';
  await key('Escape', 'Escape');
  return await shows(onPage(frontSticker(1, 1)), isRed) ? null : 'the game did not show again';
});

// A scramble sent as an address is set to race on (after R U the front's top left shows
// the right face's colour, not red), the address then loses it, and Share (the menu's
// eleventh item) sends the scramble back.
await test('an address with #scramble= sets a scramble to race on, and Share sends it', async () => {
  await fresh();
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  await page.goto(url + '?race#scramble=R_U&solved=14.27');  // a page of its own: no reload
  if (!await shows(onPage(frontSticker(-1, 1)), (c) => !isRed(c) && !isBlack(c))) {
    return 'the scramble was not set';
  }
  if (await page.evaluate(() => location.hash) !== '') return 'the address kept the scramble';
  await tap(menu);
  await tap({ x: 82, y: 56 + 5 * 64 + 24 });
  const end = Date.now() + 5000;
  let text = '';
  while (Date.now() < end && !(text = await page.evaluate(() => navigator.clipboard.readText()))) {
    await page.waitForTimeout(100);
  }
  if (text !== url + '?race#scramble=R_U') return `the clipboard holds "${text}"`;
  const notice = await page.evaluate(() => document.getElementById('notice').textContent);
  return notice.startsWith('The address of this scramble is copied') ? null : `said "${notice}"`;
});

// The records' Export downloads the CSV, with the solve just made; importing that very
// file takes nothing and says so. The buttons: 58 x 44 points at the panel's top, left of
// the menu button: Share from x 96, Export from 158, Import from 220.
// A page of its own (`query`: no reload) with a solve of one turn made on it (R' on the
// position after R), then the records open on it (F2); a sentence when that fails.
async function oneSolveInTheRecords(query) {
  await fresh();
  await page.goto(url + query + '#position=' + afterR);
  if (!await shows(onPage(frontSticker(1, 1)), isBlue)) return 'the position was not opened';
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'R', code: 'KeyR', shiftKey: true }));
  });
  if (!await shows(onPage(frontSticker(1, 1)), isRed)) return 'R\' did not solve the cube';
  await page.waitForTimeout(300);
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'F2', code: 'F2' }));
  });
  await page.waitForTimeout(300);
  return null;
}

await test('records are exported and the same file imported changes nothing', async () => {
  const failed = await oneSolveInTheRecords('?shared');
  if (failed) return failed;
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 5000 }),
                                        tap({ x: 169, y: 24 })]);
  const saved = path.join(scratch, 'records.csv');
  await download.saveAs(saved);
  const csv = fs.readFileSync(saved, 'utf8').split('\n');
  // The solve's one turn kept with it, from the position pasted.
  if (csv[0] !== 'date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted,timed_moves' ||
      csv.length !== 3 || !/,1,[0-9.]*,pasted,,no,[URFDLB]{54} - [URFDLB]'?@0$/.test(csv[1])) {
    return `the download holds ${JSON.stringify(csv)}`;
  }
  const [chooser] = await Promise.all([page.waitForEvent('filechooser', { timeout: 5000 }),
                                       tap({ x: 243, y: 24 })]);
  await chooser.setFiles(saved);
  const said = await page.waitForFunction(
    () => document.getElementById('notice').textContent.startsWith('Took'), null,
    { timeout: 5000 }).catch(() => null);
  const notice = await page.evaluate(() => document.getElementById('notice').textContent);
  return said && notice === 'Took 0 solves (Gyrelle CSV). Passed over: 1 already kept.'
    ? null : `said "${notice}"`;
});

// A solve replayed by touch: its row in the records tapped, then Replay (the last of the
// six buttons at the foot, 48 points wide); in the replay, Play and |< at its foot (five
// buttons across, 59 points each) and Close at its top left. The replay starts where the
// solve began (the front's right column blue), plays to the solved cube, goes back to its
// start; closed, the game's own solved cube shows again.
await test('a solve is replayed from the records by touch', async () => {
  const failed = await oneSolveInTheRecords('?touch');
  if (failed) return failed;
  await tap({ x: 160, y: 275 });  // the newest solve, the list's first row
  await tap({ x: 291, y: 452 });  // Replay
  if (!await shows(onPage(frontSticker(1, 1)), isBlue)) return 'the replay did not start';
  await tap({ x: 160, y: 454 });  // Play
  if (!await shows(onPage(frontSticker(1, 1)), isRed)) return 'Play did not play it';
  await tap({ x: 33, y: 454 });  // |<
  if (!await shows(onPage(frontSticker(1, 1)), isBlue)) return '|< did not go to the start';
  await tap({ x: 35, y: 26 });  // Close
  return await shows(onPage(frontSticker(1, 1)), isRed) ? null : 'the game did not show again';
});

// The trainer by touch: the menu's "Last-layer trainer" (the eighth of eleven items, two
// columns, its second column's fourth row) sets a case up on a cube of its own: among the
// top rows of the front and the left some sticker differs from the game's solved cube. Its
// Algorithm button (the third of four at the foot) brings the pad over the picture, and the
// pad's Back (fifth of six on its last row) takes it away; Close brings the game back.
await test('the trainer is opened, used and closed by touch', async () => {
  await fresh();
  const points = [-1, 0, 1].flatMap((c) => [frontSticker(c, 1), startOrientation([-1.501, 1, c])])
    .map(onPage);
  const before = await picture();
  const differs = (a, b) => Math.abs(a[0] - b[0]) + Math.abs(a[1] - b[1]) + Math.abs(a[2] - b[2]) > 90;
  await tap({ x: 302, y: 12 });
  await page.waitForTimeout(300);
  await tap({ x: 238, y: 272 });
  const end = Date.now() + 5000;
  let changed = false;
  do {
    const shot = await picture();
    changed = points.some((p) => differs(pixel(shot, p), pixel(before, p)));
    if (!changed) await page.waitForTimeout(50);
  } while (!changed && Date.now() < end);
  if (!changed) return 'no case was set up';
  const padKey = { x: 28, y: 306 };
  const under = pixel(await picture(), padKey);
  await tap({ x: 199, y: 454 });  // Algorithm
  if (!await shows(padKey, (c) => differs(c, under))) return 'the pad did not show';
  await tap({ x: 239, y: 450 });  // Back
  if (!await shows(padKey, (c) => !differs(c, under))) return 'the pad did not go';
  await tap({ x: 31, y: 26 });  // Close
  if (!await shows(onPage(frontSticker(0, 1)), isRed)) return 'the game did not show again';
  return await shows(onPage(startOrientation([0, 1.501, 0])), isGreen) ? null : 'the top is not green';
});

// Sessions by touch: the menu's Records (its seventh item), the panel's Sessions at its top
// left, New at the sessions' foot (the second of six), then Rename (the third): the page
// asks for the name with its own prompt, the new session's offered; asked again, the name
// given is offered.
await test('sessions are made and named by touch', async () => {
  await fresh();
  const asked = [];
  page.on('dialog', async (dialog) => {
    asked.push([dialog.message(), dialog.defaultValue()]);
    await dialog.accept('One-handed');
  });
  const answered = async (n) => {
    const end = Date.now() + 5000;
    while (asked.length < n && Date.now() < end) await page.waitForTimeout(50);
    return asked.length >= n;
  };
  await tap(menu);
  await tap({ x: 82, y: 56 + 3 * 64 + 24 });  // Records
  await page.waitForTimeout(300);
  await tap({ x: 47, y: 24 });  // Sessions
  await page.waitForTimeout(300);
  await tap({ x: 81, y: 452 });  // New
  await tap({ x: 134, y: 452 });  // Rename
  if (!await answered(1)) return 'Rename asked nothing';
  await tap({ x: 134, y: 452 });
  if (!await answered(2)) return 'Rename asked nothing the second time';
  const want = JSON.stringify([['A name for the session', 'Session 2'],
                               ['A name for the session', 'One-handed']]);
  return JSON.stringify(asked) === want ? null : `asked ${JSON.stringify(asked)}`;
});

// A phone upright: a notice lies in the bar above the picture, never over the toolbar
// (before, "The address of this position is copied" hid New, Undo, Redo, Hint and Solve
// for twelve seconds); a message closes with a tap in the bars too; and while the
// import's message shows, the toolbar still answers: Records, then Export, downloads.
await test('on a phone a notice covers no control, and a message closes with a tap anywhere',
           async () => {
  const phone = (p) => ({ x: p.x * 1.21875, y: 129.5 + p.y * 1.21875 });
  const button = (row, i) => phone({ x: 12 + i * 60 + 28, y: 491.75 + row * 43.38 + 19.69 });
  const centre = phone(onPage(frontSticker(0, 0)));
  const covered = ([r, g, b]) => r > 5 && r < 25 && g < 10 && b < 10;  // under a message
  await fresh(3, null, { width: 390, height: 844 });
  if (!await shows(centre, isRed, 40)) return 'no cube';
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  await tap(button(1, 4));  // Share
  const notice = await page.waitForFunction(() => {
    const n = document.getElementById('notice');
    if (!n.textContent) return null;
    const r = n.getBoundingClientRect();
    return { top: r.top, bottom: r.bottom, left: r.left, right: r.right };
  }, null, { timeout: 5000 }).then((h) => h.jsonValue()).catch(() => null);
  if (!notice) return 'Share said nothing';
  if (notice.top < 0 || notice.bottom > 129.5) {
    return `the notice lies at ${JSON.stringify(notice)}, not in the bar above the picture`;
  }
  // A code that is none: its message, closed by a tap in the bar above the picture.
  await page.evaluate(() => { location.hash = '#position=UUX'; });
  if (!await shows(centre, covered)) return 'no message for a code that is none';
  await tap({ x: 195, y: 60 });
  if (!await shows(centre, isRed)) return 'a tap in the bar above did not close the message';
  // The import's message, then Records and Export from the toolbar.
  const dir = fs.mkdtempSync(path.join(scratch, 'import-'));
  const csv = path.join(dir, 'solves.csv');
  fs.writeFileSync(csv, 'date,seconds,penalty,result,moves,turns_per_second,scramble_kind,' +
                        'scramble,assisted\n2026-01-01T00:00:00Z,9.000,,9.000,,,turns,,no\n');
  await tap(button(1, 1));  // Records
  const [chooser] = await Promise.all([page.waitForEvent('filechooser', { timeout: 5000 }),
                                       tap(phone({ x: 243, y: 24 }))]);
  await chooser.setFiles(csv);
  if (!await shows(centre, covered)) return 'no message after the import';
  const said = await page.evaluate(() => document.getElementById('notice').textContent);
  if (said !== 'Took 1 solve (Gyrelle CSV).') return `the import said "${said}"`;
  await tap(button(1, 1));  // Records, while the message shows
  const [download] = await Promise.all([
    page.waitForEvent('download', { timeout: 5000 }).catch(() => null),
    (async () => { await page.waitForTimeout(300); await tap(phone({ x: 169, y: 24 })); })()]);
  if (!download) return 'Records then Export downloaded nothing while the message showed';
  const saved = path.join(dir, 'out.csv');
  await download.saveAs(saved);
  return fs.readFileSync(saved, 'utf8').includes('2026-01-01T00:00:00Z,9.000,') ? null
      : 'the download lacks the solve imported';
});

// The device's memory as its browser says it (gigabytes), before the page's script runs.
const deviceMemory = (gigabytes) => new Function(
  `Object.defineProperty(Navigator.prototype, 'deviceMemory', { get: () => ${gigabytes} });`);

// Phase 1's whole depths: after the first hint's tables, built between the page's frames
// and kept in the browser's storage; a later visit reads them back and builds nothing.
// On a device of 2 GB, the least that builds them.
await test('the solver\'s large table is built between frames, kept, and read next time',
           async () => {
  await fresh(1, deviceMemory(2));
  const said = [];
  page.on('console', (message) => said.push(message.text()));
  const told = (words) => page.waitForEvent('console', {
    predicate: (message) => message.text().includes(words), timeout: 900000 });
  const hint = () => page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'h', code: 'KeyH' }));
  });
  await page.evaluate(() => {
    window.framesDrawn = 0;
    const tick = () => { ++window.framesDrawn; requestAnimationFrame(tick); };
    requestAnimationFrame(tick);
  });
  const built = told('the solver\'s table was built');
  await hint();
  await built;
  // Seconds of building: a page that stopped for them would have drawn next to nothing.
  const frames = await page.evaluate(() => window.framesDrawn);
  if (frames < 100) return `only ${frames} frames while the table was built`;
  const keys = () => page.evaluate(() => new Promise((resolve) => {
    const open = indexedDB.open('gyrelle-kept');
    open.onsuccess = () => {
      const all = open.result.transaction('kept').objectStore('kept').getAllKeys();
      all.onsuccess = () => { open.result.close(); resolve(all.result); };
    };
  }));
  for (let tries = 0; tries < 3000 && !(await keys()).length; ++tries) {
    await page.waitForTimeout(100);
  }
  if (String(await keys()) !== 'gyrelle depths 1') return `kept: ${await keys()}`;
  said.length = 0;
  await page.reload();
  if (!(await started()).ok) return 'no cube after the reload';
  const read = told('the solver\'s table was read');
  await hint();
  await read;
  await page.waitForTimeout(500);
  const again = said.filter((line) => line.includes('table was built'));
  return again.length ? `built again: ${again}` : null;
});

// A device whose browser says it has 1 GB says it builds no such table, and its hint is
// still answered.
await test('a device of 1 GB builds no large table and still hints', async () => {
  const said = [];
  await fresh(1, deviceMemory(1));
  page.on('console', (message) => said.push(message.text()));
  await page.reload();
  if (!(await started()).ok) return 'no cube after the reload';
  const skipped = said.some((line) =>
    line.includes('large table is not built: this device has under 2 GB'));
  if (!skipped) return `said: ${said}`;
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'f', code: 'KeyF' }));
  });
  await page.waitForTimeout(500);
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { key: 'h', code: 'KeyH' }));
  });
  if (!await hintMarked()) return 'no face marked';
  const built = said.filter((line) => line.includes('table was'));
  return built.length ? `said: ${built}` : null;
});

await browser.close();
server.close();
if (problems.length) console.log('page errors:', problems.join('; '));
console.log(`first frame: ${cold} ms cold, ${warm} ms on a reload`);
const failed = results.filter((r) => r.failure).length;
console.log(`${results.length - failed} passed, ${failed} failed`);
process.exit(failed || problems.length ? 1 : 0);
