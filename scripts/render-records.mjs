// The README's pictures of the records panel: forty made-up solves imported into the
// browser build, the panel opened on them with the newest selected; and the sessions, two
// more made and named.
// Usage: node scripts/render-records.mjs [BUILD_DIRECTORY] (run from the repository after
// make web; needs scripts/install-deps for Chromium and playwright-core)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { launchChromium, serve } from '../tests/web/page.mjs';

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), '..');
const site = path.join(path.resolve(process.argv[2] || path.join(root, 'build-web')), 'site');

// Forty solves getting faster, with some +2s and DNFs, from a fixed seed.
let seed = 3;
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
const rows = ['date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted'];
for (let i = 0; i < 40; ++i) {
  const date = new Date(Date.UTC(2026, 10, 1 + Math.floor(i * 0.7), 9 + (i % 12)));
  const seconds = (30 - i * 0.3 + (random() - 0.5) * 10).toFixed(3);
  const penalty = ['', '', '', '', '', '+2', 'DNF'][Math.floor(random() * 7)];
  const moves = 50 + Math.floor(random() * 30);
  rows.push(`${date.toISOString().replace('.000', '')},${seconds},${penalty},,${moves},,` +
            `competition,R U2 F' D B2 L,no`);
}
const sample = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'gyrelle-')), 'solves.csv');
fs.writeFileSync(sample, rows.join('\n') + '\n');

const { url, server } = await serve(site);
const browser = await launchChromium();
const context = await browser.newContext({ viewport: { width: 320, height: 480 }, hasTouch: true });
const page = await context.newPage();
const cdp = await context.newCDPSession(page);
const touch = async (type, points) => {
  await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map((p, id) => ({ ...p, id })) });
  await page.waitForTimeout(20);
};
const tap = async (p) => { await touch('touchStart', [p]); await touch('touchEnd', []); };
const key = (k) => page.evaluate((k) => window.dispatchEvent(new KeyboardEvent('keydown', { key: k, code: k })), k);
await page.goto(url);
await page.waitForTimeout(2500);
await key('F2');
await page.waitForTimeout(300);
const [chooser] = await Promise.all([page.waitForEvent('filechooser'), tap({ x: 243, y: 24 })]);
await chooser.setFiles(sample);
await page.waitForTimeout(800);
await tap({ x: 160, y: 240 });  // the import's message
await key('F2');
await key('ArrowUp');
await page.evaluate(() => { document.getElementById('notice').textContent = ''; });
await page.waitForTimeout(300);
await page.screenshot({ path: path.join(root, 'docs', 'records.png') });
// The sessions: two more, named as the page asks, the records' shown.
page.on('dialog', (dialog) => dialog.accept(['One-handed', 'New cube'][named++ % 2]));
let named = 0;
await key('Escape');
await key('F2');
await page.waitForTimeout(300);
await tap({ x: 47, y: 24 });  // Sessions
for (let i = 0; i < 2; ++i) {
  await tap({ x: 81, y: 452 });  // New
  await tap({ x: 134, y: 452 });  // Rename
  await page.waitForTimeout(200);
}
await tap({ x: 160, y: 70 });  // Main, selected
await page.waitForTimeout(300);
await page.screenshot({ path: path.join(root, 'docs', 'sessions.png') });
await browser.close();
server.close();
