// Draws the PNG icons from data/icons/gyrelle.svg in headless Chromium: each size asked
// for, on a clear background, and "maskable": full bleed black with the cube inside the
// middle 80 % circle that launchers may cut to.
// Usage: node scripts/render-icons.mjs SIZE... (run from the repository; needs
// scripts/install-deps for Chromium and playwright-core)
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { launchChromium } from '../tests/web/page.mjs';

const icons = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', 'data', 'icons');
const svg = fs.readFileSync(path.join(icons, 'gyrelle.svg'), 'utf8');
const browser = await launchChromium();
const page = await browser.newPage();

async function draw(size, body, name) {
  await page.setViewportSize({ width: size, height: size });
  await page.setContent(`<html><body style="margin:0;background:transparent">${body}</body></html>`);
  await page.screenshot({ path: path.join(icons, name), omitBackground: true });
}

const sized = (size) => svg.replace('width="256" height="256"', `width="${size}" height="${size}"`);
for (const size of process.argv.slice(2).map(Number)) {
  await draw(size, sized(size), `gyrelle-${size}.png`);
}
// The cube reaches 104 of 128 units from the middle; at 0.7 it is 73, inside the safe 102.
const maskable = sized(512).replace(/(<svg[^>]*>)/, '$1<rect width="256" height="256" fill="#000"/>' +
                                    '<g transform="translate(128 128) scale(0.7) translate(-128 -128)">')
                           .replace('</svg>', '</g></svg>');
await draw(512, maskable, 'gyrelle-maskable.png');
await browser.close();
