// The README's picture of the colour schemes: the browser build, a few turns from solved,
// in each scheme (and the last with the sticker letters), side by side with its name.
// Usage: node scripts/render-schemes.mjs [BUILD_DIRECTORY] (run from the repository after
// make web; needs scripts/install-deps for Chromium and playwright-core)
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { launchChromium, serve } from '../tests/web/page.mjs';

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), '..');
const site = path.join(path.resolve(process.argv[2] || path.join(root, 'build-web')), 'site');
const { url, server } = await serve(site);
const browser = await launchChromium();

const key = (page, key, code) => page.evaluate(([k, c]) => {
  window.dispatchEvent(new KeyboardEvent('keydown', { key: k, code: c }));
}, [key, code]);

// Each picture from a page of its own (its own storage): the turns, then the settings.
async function shoot(colourSteps, letters) {
  const context = await browser.newContext({ viewport: { width: 320, height: 480 } });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForTimeout(2000);
  for (const letter of 'rufl') {
    await key(page, letter, `Key${letter.toUpperCase()}`);
    await page.waitForTimeout(250);
  }
  await key(page, 'F3', 'F3');
  for (let i = 0; i < colourSteps; ++i) await key(page, 'c', 'KeyC');
  if (letters) await key(page, 'l', 'KeyL');
  await key(page, 'Escape', 'Escape');
  await page.waitForTimeout(500);
  const shot = (await page.screenshot({ clip: { x: 0, y: 40, width: 320, height: 400 } })).toString('base64');
  await context.close();
  return shot;
}

const shots = [['Classic', 0, false], ['High contrast', 1, false], ['Colour-blind safe', 2, false],
               ['Colour-blind safe, letters', 2, true]];
let cells = '';
for (const [name, steps, letters] of shots) {
  cells += `<figure><img src="data:image/png;base64,${await shoot(steps, letters)}">` +
           `<figcaption>${name}</figcaption></figure>`;
}
const page = await browser.newPage({ viewport: { width: 4 * 320, height: 440 } });
await page.setContent(`<html><body style="margin:0;background:#000;display:flex">${cells}</body>
  <style>figure{margin:0;width:320px}figcaption{color:#fff;font:16px sans-serif;text-align:center}</style></html>`);
await page.screenshot({ path: path.join(root, 'docs', 'schemes.png') });
await browser.close();
server.close();
