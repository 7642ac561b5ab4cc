// The browser build served as any web server would, Debian's Chromium to play it in,
// and the pixels of its screenshots: for the browser tests and the benchmark.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.png': 'image/png',
};

// Serves the folder `root` on a free port of 127.0.0.1. While `stalled()` says so, every
// request is taken and never answered, as on a stalled network or a login page's Wi-Fi.
// `rewrite(name, bytes)` may serve other bytes for a file (a new version of the site).
// Every request's address, as asked, is kept in `requests`.
// With `lastModified`, each answer says when its file last changed, as a real host's do
// (the browser may then keep it in its own cache).
export async function serve(root, stalled = () => false, rewrite = (name, data) => data,
                            { lastModified = false } = {}) {
  const requests = [];
  const server = http.createServer((request, response) => {
    requests.push(request.url);
    if (stalled()) {
      return;
    }
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
      } else {
        const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' };
        if (lastModified) headers['Last-Modified'] = fs.statSync(file).mtime.toUTCString();
        response.writeHead(200, headers);
        response.end(rewrite(name, data));
      }
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, server, requests };
}

// Headless, as root too, with WebGL on the software rasteriser SwiftShader.
export function launchChromium() {
  return chromium.launch({
    executablePath: process.env.GYRELLE_CHROMIUM || '/usr/lib/chromium/chromium',
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
}

// --- Pixels of a screenshot ----------------------------------------------------------
// A PNG as Chromium writes it: 8-bit RGB or RGBA, not interlaced.
export function decodePng(buffer) {
  let at = 8, width = 0, height = 0, channels = 4;
  const data = [];
  while (at < buffer.length) {
    const length = buffer.readUInt32BE(at);
    const type = buffer.toString('ascii', at + 4, at + 8);
    const body = buffer.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const out = Buffer.alloc(width * height * 3);
  const line = Buffer.alloc(stride), previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const v = raw[y * (stride + 1) + 1 + x];
      const a = x >= channels ? line[x - channels] : 0, b = previous[x];
      const c = x >= channels ? previous[x - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      line[x] = (v + [0, a, b, (a + b) >> 1, paeth][filter]) & 255;
    }
    for (let x = 0; x < width; ++x) {
      line.copy(out, (y * width + x) * 3, x * channels, x * channels + 3);
    }
    line.copy(previous);
  }
  return { width, height, at: (x, y) => [...out.subarray((y * width + x) * 3, (y * width + x) * 3 + 3)] };
}

