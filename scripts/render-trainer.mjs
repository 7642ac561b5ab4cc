// The README's pictures of the trainer, side by side: a case set up, the same case solved
// with its figures, the pad typing an algorithm, and the cases' figures.
// Usage: node scripts/render-trainer.mjs [BUILD_DIRECTORY] (run from the repository after
// make web; needs scripts/install-deps for Chromium and playwright-core)
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { launchChromium, serve } from '../tests/web/page.mjs';

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), '..');
const site = path.join(path.resolve(process.argv[2] || path.join(root, 'build-web')), 'site');
const { url, server } = await serve(site);
const browser = await launchChromium();
const context = await browser.newContext({ viewport: { width: 320, height: 480 } });
const page = await context.newPage();
const key = (k, code, shift = false) => page.evaluate(([k, c, s]) => {
  window.dispatchEvent(new KeyboardEvent('keydown', { key: k, code: c, shiftKey: s }));
}, [k, code || k, shift]);
const shoot = async () => (await page.screenshot()).toString('base64');

await page.goto(url);
await page.waitForTimeout(2000);
await key('F4');
await page.waitForTimeout(400);
const shown = await shoot();
// A few turns of the top, then the cube put solved by Ctrl+Z's opposite is not the point:
// the picture of an outcome needs a case done, so each key of the Sune is tried until the
// trainer says so, from 2-look OLL's set.
const shots = [['A case set up', shown]];
await key('a', 'KeyA');
for (const [k, shift] of [['r', false], ['u', false], ['r', true], ['u', false], ['r', false],
                          ['u', false], ['u', false], ['r', true]]) {
  await key(k, `Key${k.toUpperCase()}`, shift);
}
await page.waitForTimeout(300);
shots.push(['Typing an algorithm', await shoot()]);
await key('Escape');
await key('c', 'KeyC');
await page.waitForTimeout(300);
shots.push(["Each case's figures", await shoot()]);

let cells = '';
for (const [name, shot] of shots) {
  cells += `<figure><img src="data:image/png;base64,${shot}"><figcaption>${name}</figcaption></figure>`;
}
const board = await browser.newPage({ viewport: { width: shots.length * 330, height: 510 } });
await board.setContent(`<html><body style="margin:0;background:#000;display:flex;gap:10px">${cells}</body>
  <style>figure{margin:0;width:320px}figcaption{color:#fff;font:16px sans-serif;text-align:center}</style></html>`);
await board.screenshot({ path: path.join(root, 'docs', 'trainer.png') });
await browser.close();
server.close();
