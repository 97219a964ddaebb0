// laz-perf (npm, WebAssembly) decoding a LAZ file under node, for bench_laz: prints
// "POINTS SECONDS CHECKSUM": the points, the seconds of the decode loop alone (the file
// already in the module's memory), and the FNV-1a hash of the records decoded (from a
// second, untimed pass).
//   node lazperf_decode.js FILE.laz     (NODE_PATH must reach laz-perf)

'use strict';

const fs = require('node:fs');
const { createLazPerf } = require('laz-perf');

async function main() {
  const bytes = fs.readFileSync(process.argv[2]);
  const lazPerf = await createLazPerf();
  const filePointer = lazPerf._malloc(bytes.length);
  lazPerf.HEAPU8.set(bytes, filePointer);

  const decode = (visit) => {
    const reader = new lazPerf.LASZip();
    reader.open(filePointer, bytes.length);
    const count = reader.getCount();
    const length = reader.getPointLength();
    const point = lazPerf._malloc(length);
    for (let i = 0; i < count; ++i) {
      reader.getPoint(point);
      if (visit) visit(lazPerf.HEAPU8, point, length);
    }
    lazPerf._free(point);
    reader.delete();
    return count;
  };

  const start = process.hrtime.bigint();
  const count = decode(null);
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;

  let hash = 0x811c9dc5;
  decode((heap, at, length) => {
    for (let i = at; i < at + length; ++i) hash = Math.imul(hash ^ heap[i], 0x01000193) >>> 0;
  });
  console.log(`${count} ${seconds} ${hash}`);
}

main().catch((error) => {
  console.error(error.message || error);
  process.exit(1);
});
