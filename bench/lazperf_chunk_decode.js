// laz-perf's decoding of a file of LAZ chunks, for bench_laz_layered: prints points per
// second (the best of three passes over every chunk).
// Usage: node lazperf_chunk_decode.js CHUNKS FORMAT RECORD_LENGTH CHUNK_POINTS POINTS SIZE,SIZE,...

'use strict';

const fs = require('node:fs');
const { createLazPerf } = require('laz-perf');

(async () => {
  const [file, format, recordLength, chunkPoints, points, sizeList] = process.argv.slice(2);
  const sizes = sizeList.split(',').map(Number);
  const lazPerf = await createLazPerf();
  const chunks = fs.readFileSync(file);
  const input = lazPerf._malloc(chunks.length);
  const point = lazPerf._malloc(+recordLength);
  lazPerf.HEAPU8.set(chunks, input);
  let best = 0;
  for (let pass = 0; pass < 3; ++pass) {
    const start = process.hrtime.bigint();
    let offset = 0;
    let left = +points;
    for (const size of sizes) {
      const decoder = new lazPerf.ChunkDecoder();
      decoder.open(+format, +recordLength, input + offset);
      for (let p = Math.min(+chunkPoints, left); p > 0; --p) decoder.getPoint(point);
      decoder.delete();
      left -= Math.min(+chunkPoints, left);
      offset += size;
    }
    const seconds = Number(process.hrtime.bigint() - start) / 1e9;
    best = Math.max(best, +points / seconds);
  }
  console.log(best.toFixed(0));
})();
