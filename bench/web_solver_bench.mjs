// The solver's figures in the browser: the same program as natively, built with
// Emscripten, run in headless Chromium; its lines are the page's console.
// The slowest of fewer random positions than natively (20,000, not 100,000): each is
// solved once to find them, and the page is single-threaded.
// Usage: node web_solver_bench.mjs BUILD_DIRECTORY [POSITIONS] [TABLE-BUILDS] [DRAWS] [SLOWEST]
import path from 'node:path';

import { launchChromium, serve } from '../tests/web/page.mjs';

const root = path.resolve(process.argv[2] || 'build-web-bench');
const positions = process.argv[3] || '1000', builds = process.argv[4] || '5';
const draws = process.argv[5] || '20000', slowest = process.argv[6] || '200';
const { url, server } = await serve(path.join(root, 'bench'));
const browser = await launchChromium();
const page = await browser.newPage();
const page_ = `<!doctype html><script>
  var Module = { arguments: ['browser', '${positions}', '${builds}', '${draws}', '${slowest}'],
                 print: (text) => console.log(text), printErr: (text) => console.log(text) };
</script><script src="gyrelle_solver_bench.js"></script>`;
await page.route('**/solver.html', (route) => route.fulfill({ body: page_, contentType: 'text/html' }));
let failed = false;
const finished = new Promise((resolve) => {
  page.on('console', (message) => {
    const text = message.text();
    console.log(text);
    if (text === 'done') resolve();
    if (/^position /.test(text)) {
      failed = true;
      resolve();
    }
  });
  page.on('pageerror', (error) => {
    console.log(String(error));
    failed = true;
    resolve();
  });
});
await page.goto(url + 'solver.html');
await Promise.race([finished, new Promise((resolve) => setTimeout(resolve, 600000))]);
await browser.close();
server.close();
process.exit(failed ? 1 : 0);
