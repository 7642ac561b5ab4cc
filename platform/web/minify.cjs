// Shrinks the page's script as Emscripten leaves it (its own minifier only takes out the
// white space): Debian's terser, names shortened to the file's top. The page reaches
// the script through `Module` alone, which keeps its name. Written whole or not at all.
// Usage: node minify.cjs SCRIPT (with Debian's node modules on NODE_PATH)
'use strict';
const fs = require('fs');

let terser;
try {
  terser = require('terser');
} catch (error) {
  console.error('minify: no terser (Debian\'s node-terser; scripts/install-deps installs it)');
  process.exit(1);
}

const file = process.argv[2];
const source = fs.readFileSync(file, 'utf8');
terser.minify(source, {
  ecma: 2020,
  compress: { passes: 2, toplevel: true },
  mangle: { toplevel: true, reserved: ['Module'] },
}).then((result) => {
  fs.writeFileSync(file + '.min', result.code);
  fs.renameSync(file + '.min', file);
}, (error) => {
  console.error(`minify: ${file}: ${error.message || error}`);
  process.exit(1);
});
