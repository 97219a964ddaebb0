// The LAZ codec against an implementation that is not ours: laz-perf (the npm package,
// WebAssembly; it decodes only).
//   - LAZ files written by other encoders (tests/data/real/laz): our decoder's records
//     are laz-perf's, byte for byte;
//   - LAZ files we write (random records of every point format, with and without extra
//     bytes, in chunks of several sizes, fixed and variable; and the real files again):
//     laz-perf decodes them to exactly the records we compressed.
// laz_tool (built with the tests) does our side.
//
// Usage: node check_laz_codec.js LAZ_TOOL DATA_FOLDER WORK_FOLDER
// (NODE_PATH must reach the installed laz-perf). Exit status 0 when every check holds.

'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { createLazPerf } = require('laz-perf');

if (process.argv.length !== 5) {
  console.error('usage: node check_laz_codec.js LAZ_TOOL DATA_FOLDER WORK_FOLDER');
  process.exit(2);
}
const [lazTool, dataDir, workDir] = process.argv.slice(2).map((arg) => path.resolve(arg));

// Files of other encoders that our codec reads (the LASzip 1.2 file of version 1 items is
// refused; laz-perf cannot read it either).
const REAL_FILES = [
  'f0_no-points.laz',
  'f0_point10.laz',
  'f1_point-time.laz',
  'f2_point-color.laz',
  'f3_simple.laz',
  'f3_extrabytes.laz',
  'f3_autzen_trim.laz',
  'f6_1_4_w_evlr.laz',
  'f7_autzen_clip.copc.laz',
  'f7_simple.copc.laz',
  'f8_append-bug.laz',
];
// Random records we compress: point format, extra bytes, points.
const OUR_FORMATS = [
  { format: 0, extra: 0, count: 120000 },
  { format: 1, extra: 0, count: 120000 },
  { format: 2, extra: 0, count: 120000 },
  { format: 3, extra: 0, count: 120000 },
  { format: 1, extra: 5, count: 60000 },
  { format: 3, extra: 27, count: 60000 },
  { format: 6, extra: 0, count: 120000 },
  { format: 7, extra: 0, count: 120000 },
  { format: 8, extra: 0, count: 120000 },
  { format: 6, extra: 4, count: 60000 },
  { format: 8, extra: 3, count: 60000 },
];
// Chunk sizes: LASzip's default, small ones, and variable chunks.
const CHUNKINGS = ['50000', '777', 'variable:1,2,3,40000,5000'];

function tool(...args) {
  execFileSync(lazTool, args, { stdio: ['ignore', 'ignore', 'inherit'] });
}

// The records of a LAZ file as laz-perf decodes them.
function lazPerfRecords(lazPerf, file) {
  const bytes = fs.readFileSync(file);
  const filePointer = lazPerf._malloc(bytes.length);
  lazPerf.HEAPU8.set(bytes, filePointer);
  const reader = new lazPerf.LASZip();
  try {
    reader.open(filePointer, bytes.length);
    const count = reader.getCount();
    const length = reader.getPointLength();
    const records = Buffer.alloc(count * length);
    const pointPointer = lazPerf._malloc(length);
    for (let i = 0; i < count; ++i) {
      reader.getPoint(pointPointer);
      records.set(lazPerf.HEAPU8.subarray(pointPointer, pointPointer + length), i * length);
    }
    lazPerf._free(pointPointer);
    return records;
  } finally {
    reader.delete();
    lazPerf._free(filePointer);
  }
}

function sameRecords(what, ours, theirs) {
  if (ours.equals(theirs)) return;
  let at = 0;
  while (at < Math.min(ours.length, theirs.length) && ours[at] === theirs[at]) ++at;
  assert.fail(`${what}: ${ours.length} and ${theirs.length} record bytes, first difference at byte ${at}`);
}

async function main() {
  fs.rmSync(workDir, { recursive: true, force: true });
  fs.mkdirSync(workDir, { recursive: true });
  const lazPerf = await createLazPerf();
  const work = (name) => path.join(workDir, name);

  for (const name of REAL_FILES) {
    const laz = path.join(dataDir, name);
    tool('records', laz, work(`${name}.records`));
    const ours = fs.readFileSync(work(`${name}.records`));
    const theirs = lazPerfRecords(lazPerf, laz);
    sameRecords(`${name} decoded`, ours, theirs);
    // Written again by us: laz-perf reads our file to the same records.
    tool('decompress', laz, work(`${name}.las`));
    tool('compress', work(`${name}.las`), work(`${name}.ours.laz`));
    sameRecords(`${name} re-encoded`, lazPerfRecords(lazPerf, work(`${name}.ours.laz`)), ours);
  }

  let written = 0;
  let writtenPoints = 0;
  for (const { format, extra, count } of OUR_FORMATS) {
    const las = work(`f${format}_e${extra}.las`);
    tool('random', String(format), String(extra), String(count), String(1000 + format * 31 + extra), las);
    tool('records', las, `${las}.records`);
    const meant = fs.readFileSync(`${las}.records`);
    for (const chunking of CHUNKINGS) {
      const laz = `${las}.${chunking.replace(/[:,]/g, '_')}.laz`;
      tool('compress', las, laz, chunking);
      sameRecords(`format ${format} + ${extra} extra bytes, chunks ${chunking}`, lazPerfRecords(lazPerf, laz), meant);
      ++written;
      writtenPoints += count;
    }
  }
  console.log(
    `laz-perf agrees: ${REAL_FILES.length} files of other encoders (and our re-encoding of each), ` +
      `${written} files of ours (${writtenPoints} points, formats ${[...new Set(OUR_FORMATS.map((f) => f.format))]})`,
  );
}

main().catch((error) => {
  console.error(error.message || error);
  process.exit(1);
});
