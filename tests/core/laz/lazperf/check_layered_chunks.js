// The layered LAZ codec checked by a reader that is not ours (the npm package laz-perf,
// WebAssembly): every chunk our encoder wrote (laz_layered_cases) must decode, with laz-perf's
// ChunkDecoder, to exactly the records it was made from.
//
// Usage: node check_layered_chunks.js FOLDER (NODE_PATH must reach the installed laz-perf).
// Prints one line per case and "N passed, N failed"; exit status 0 when every case passes.

'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { createLazPerf } = require('laz-perf');

if (process.argv.length !== 3) {
  console.error('usage: node check_layered_chunks.js FOLDER');
  process.exit(2);
}
const folder = path.resolve(process.argv[2]);
const cases = JSON.parse(fs.readFileSync(path.join(folder, 'cases.json'), 'utf8'));

// The index of the first byte where two buffers differ, or -1.
function firstDifference(a, b) {
  const n = Math.min(a.length, b.length);
  for (let i = 0; i < n; ++i) if (a[i] !== b[i]) return i;
  return a.length === b.length ? -1 : n;
}

(async () => {
  const lazPerf = await createLazPerf();
  let passed = 0;
  let failed = 0;
  const report = (name, difference, recordLength) => {
    if (difference < 0) {
      ++passed;
      console.log(`ok   ${name}`);
    } else {
      ++failed;
      console.log(`FAIL ${name}: records differ from record ${Math.floor(difference / recordLength)}, byte ${difference % recordLength}`);
    }
  };

  for (const c of cases.chunks) {
    const chunks = fs.readFileSync(path.join(folder, `${c.name}.chunks`));
    const expected = fs.readFileSync(path.join(folder, `${c.name}.records`));
    const decoded = Buffer.alloc(expected.length);
    const input = lazPerf._malloc(chunks.length);
    const point = lazPerf._malloc(c.recordLength);
    lazPerf.HEAPU8.set(chunks, input);
    let offset = 0;
    let record = 0;
    c.points.forEach((count, i) => {
      const decoder = new lazPerf.ChunkDecoder();
      decoder.open(c.format, c.recordLength, input + offset);
      for (let p = 0; p < count; ++p, ++record) {
        decoder.getPoint(point);
        decoded.set(lazPerf.HEAPU8.subarray(point, point + c.recordLength), record * c.recordLength);
      }
      decoder.delete();
      offset += c.sizes[i];
    });
    lazPerf._free(point);
    lazPerf._free(input);
    report(`${c.name}: ${record} records in ${c.points.length} chunks`, firstDifference(decoded, expected), c.recordLength);
  }

  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 && passed > 0 ? 0 : 1);
})();
