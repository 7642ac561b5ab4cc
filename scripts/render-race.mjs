// The README's picture of a race: a scramble opened from an address that carries the time
// to beat, as the friend who sent it would share it.
// Usage: node scripts/render-race.mjs [BUILD_DIRECTORY] (run from the repository after
// make web; needs scripts/install-deps for Chromium and playwright-core)
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { launchChromium, serve } from '../tests/web/page.mjs';

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), '..');
const site = path.join(path.resolve(process.argv[2] || path.join(root, 'build-web')), 'site');
const { url, server } = await serve(site);
const browser = await launchChromium();
const page = await browser.newPage({ viewport: { width: 320, height: 480 } });
await page.goto(url + "#scramble=R_U2_F'_L_D2_B'_R'_U_F2&solved=14.27");
await page.waitForTimeout(2500);
await page.screenshot({ path: path.join(root, 'docs', 'race.png') });
await browser.close();
server.close();
