// The LAS handler's outputs read back with a LAS reader that is not ours (the npm
// package copc): after a batch from LAT to AHD on the demo grid, every output's header
// must describe the records the file holds: the point count, the minimum and maximum
// X, Y and Z (integer x scale + offset, as the reader computes them) and the points by
// return number. Inputs: the demo's 1.2 and 1.4 samples, and files made here in point
// formats 1, 3 and 6 to 10 (some points outside the grid, every return number), one of
// them wholly inside the grid, so that its transformed file holds every point.
//
// The same points as LAZ (the demo's LAZ sample, and the files made here of formats 1, 3
// and 6 to 8 coded by our encoder, laz_tool, in chunks of several sizes): copc reads
// their outputs through laz-perf, and their records must be those of the LAS outputs,
// byte for byte, their headers the same counts and extent. The LAZ sample itself must
// decode to the records of the LAS sample it was made from.
//
// Usage: node check_las_outputs.js MAREVERT_CLI LAZ_TOOL DATA_FOLDER WORK_FOLDER
// (NODE_PATH must reach the installed copc). Exit status 0 when every check holds.

'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { Las } = require('copc');

if (process.argv.length !== 6) {
  console.error('usage: node check_las_outputs.js MAREVERT_CLI LAZ_TOOL DATA_FOLDER WORK_FOLDER');
  process.exit(2);
}
const [cliSource, lazTool, dataDir, workDir] = process.argv.slice(2).map((arg) => path.resolve(arg));

// ---- Inputs ------------------------------------------------------------------------

// Inside the demo grid: latitudes -33.10 to -33.40, longitudes 151.70 to 151.90. East
// of its last column (155) a point is never inside.
const OUTSIDE_LON = 155.0;

// Point formats: record length, and the format copc reads the first bytes with (9 and
// 10 are 6 and 8 followed by a wave packet descriptor).
const FORMATS = {
  1: { length: 28, readAs: 1 },
  3: { length: 34, readAs: 3 },
  6: { length: 30, readAs: 6 },
  7: { length: 36, readAs: 7 },
  8: { length: 38, readAs: 8 },
  9: { length: 59, readAs: 6 },
  10: { length: 67, readAs: 8 },
};

// A LAS file of `count` points in `format` whose header describes its records, as a
// careful writer's would; every `outsideEvery`-th point lies outside the grid (0: none).
// Return numbers take every value their bits can hold, with the byte's other bits set,
// so that a reader of the wrong bits would be seen.
function makeLas({ minor, format, count, outsideEvery, legacyCount }) {
  const { length } = FORMATS[format];
  const headerSize = minor >= 4 ? 375 : 227;
  const scale = [1e-7, 1e-7, 0.001];
  const offset = [151.0, -33.0, -5.0];
  const h = Buffer.alloc(headerSize + count * length);
  const returns = new Array(16).fill(0);
  const low = [Infinity, Infinity, Infinity];
  const high = [-Infinity, -Infinity, -Infinity];
  for (let i = 0; i < count; ++i) {
    const outside = outsideEvery > 0 && i % outsideEvery === outsideEvery - 1;
    const lat = -33.25 + 0.01 * ((i * 37) % 11 - 5);
    const lon = outside ? OUTSIDE_LON - 0.001 * i : 151.8 + 0.01 * ((i * 53) % 13 - 6);
    const depth = 8.0 + 0.513 * i;
    const at = headerSize + i * length;
    [lon, lat, depth].forEach((v, axis) => {
      const stored = Math.round((v - offset[axis]) / scale[axis]);
      h.writeInt32LE(stored, at + 4 * axis);
      low[axis] = Math.min(low[axis], stored * scale[axis] + offset[axis]);
      high[axis] = Math.max(high[axis], stored * scale[axis] + offset[axis]);
    });
    const number = format >= 6 ? i % 16 : i % 8;
    h.writeUInt8(format >= 6 ? number | 0xf0 : number | 0xb8, at + 14);
    ++returns[number];
  }
  h.write('LASF', 0, 'latin1');
  h.writeUInt8(1, 24);
  h.writeUInt8(minor, 25);
  h.writeUInt16LE(headerSize, 94);
  h.writeUInt32LE(headerSize, 96);
  h.writeUInt8(format, 104);
  h.writeUInt16LE(length, 105);
  const legacy = minor < 4 || legacyCount;
  h.writeUInt32LE(legacy ? count : 0, 107);
  for (let n = 1; n <= 5; ++n) h.writeUInt32LE(legacy ? returns[n] : 0, 111 + 4 * (n - 1));
  for (let axis = 0; axis < 3; ++axis) {
    h.writeDoubleLE(scale[axis], 131 + 8 * axis);
    h.writeDoubleLE(offset[axis], 155 + 8 * axis);
    h.writeDoubleLE(high[axis], 179 + 16 * axis);
    h.writeDoubleLE(low[axis], 187 + 16 * axis);
  }
  if (minor >= 4) {
    h.writeBigUInt64LE(BigInt(count), 247);
    for (let n = 1; n <= 15; ++n) h.writeBigUInt64LE(BigInt(returns[n]), 255 + 8 * (n - 1));
  }
  return h;
}

// ---- Reading back --------------------------------------------------------------------

// What the reader takes the file's header to say, and what it reads from its records
// (decoded by laz-perf when the file is LAZ).
async function readBack(file) {
  const bytes = fs.readFileSync(file);
  // The header reader wants 375 bytes whatever the version; a short 1.2 file is padded.
  const first = Buffer.concat([bytes.subarray(0, 375), Buffer.alloc(Math.max(0, 375 - bytes.length))]);
  const header = Las.Header.parse(first);
  const count = Number(header.pointCount);
  const start = header.pointDataOffset;
  const records = (bytes[104] & 0x80) !== 0
    ? Buffer.from(await Las.PointData.decompressFile(bytes))
    : bytes.subarray(start, start + count * header.pointDataRecordLength);
  assert.equal(records.length, count * header.pointDataRecordLength, `${file}: records cut short`);
  const readAs = FORMATS[header.pointDataRecordFormat]?.readAs ?? header.pointDataRecordFormat;
  const view = Las.View.create(records, { ...header, pointDataRecordFormat: readAs });
  const get = ['X', 'Y', 'Z', 'ReturnNumber'].map((name) => view.getter(name));
  const low = [Infinity, Infinity, Infinity];
  const high = [-Infinity, -Infinity, -Infinity];
  const returns = new Array(16).fill(0);
  for (let i = 0; i < view.pointCount; ++i) {
    for (let axis = 0; axis < 3; ++axis) {
      const v = get[axis](i);
      low[axis] = Math.min(low[axis], v);
      high[axis] = Math.max(high[axis], v);
    }
    ++returns[get[3](i)];
  }
  const legacyCount = bytes.readUInt32LE(107);
  const legacyByReturn = [0, 1, 2, 3, 4].map((k) => bytes.readUInt32LE(111 + 4 * k));
  return { header, count, low, high, returns, legacyCount, legacyByReturn, records };
}

let checks = 0;
function check(condition, message) {
  assert.ok(condition, message);
  ++checks;
}

// The header of `file` against its records.
async function checkOutput(file) {
  const name = path.basename(file);
  const got = await readBack(file);
  const { header } = got;
  for (let axis = 0; axis < 3; ++axis) {
    const [min, max] = [header.min[axis], header.max[axis]];
    check(min === got.low[axis], `${name}: header min[${axis}] ${min}, records ${got.low[axis]}`);
    check(max === got.high[axis], `${name}: header max[${axis}] ${max}, records ${got.high[axis]}`);
  }
  if (header.minorVersion >= 4) {
    const expected = got.returns.slice(1, 16);
    check(
      JSON.stringify(header.pointCountByReturn) === JSON.stringify(expected),
      `${name}: points by return ${header.pointCountByReturn}, records ${expected}`,
    );
  }
  if (got.legacyCount !== 0) {
    const expected = got.returns.slice(1, 6);
    check(
      JSON.stringify(got.legacyByReturn) === JSON.stringify(expected),
      `${name}: legacy points by return ${got.legacyByReturn}, records ${expected}`,
    );
  }
  return got;
}

// ---- The batch -----------------------------------------------------------------------

async function main() {

  fs.rmSync(workDir, { recursive: true, force: true });
  fs.mkdirSync(workDir, { recursive: true });
  // A copy of the program, so that its application log stays in the work folder.
  const cli = path.join(workDir, 'marevert-cli');
  fs.copyFileSync(cliSource, cli);
  fs.chmodSync(cli, 0o755);

  const inputs = {};
  for (const sample of ['sample_v12.las', 'sample_v14.las']) {
    fs.copyFileSync(path.join(dataDir, 'samples', sample), path.join(workDir, sample));
    inputs[sample] = null;
  }
  const made = {
    'f1_v12.las': { minor: 2, format: 1, count: 50, outsideEvery: 6 },
    'f3_v14_legacy.las': { minor: 4, format: 3, count: 50, outsideEvery: 6, legacyCount: true },
    'f6_v14_inside.las': { minor: 4, format: 6, count: 40, outsideEvery: 0 },
  };
  for (const format of [6, 7, 8, 9, 10]) {
    made[`f${format}_v14.las`] = { minor: 4, format, count: 50, outsideEvery: format - 2 };
  }
  for (const [name, layout] of Object.entries(made)) {
    fs.writeFileSync(path.join(workDir, name), makeLas(layout));
    inputs[name] = layout;
  }
  // The same points as LAZ, in chunks of LASzip's size, of a few points (each output's
  // chunks then cut across the input's) and of varying sizes (as COPC's).
  const CHUNKS = ['50000', '7', 'variable:3,9,1,20', '7', '50000', '11'];
  const lazOf = {};
  Object.keys(made).filter((name) => ![9, 10].includes(made[name].format)).forEach((name, i) => {
    const laz = name.replace(/\.las$/, '.laz');
    execFileSync(lazTool, ['compress', path.join(workDir, name), path.join(workDir, laz), CHUNKS[i % CHUNKS.length]]);
    inputs[laz] = made[name];
    lazOf[laz] = name;
  });
  fs.copyFileSync(path.join(dataDir, 'samples', 'sample_v14.laz'), path.join(workDir, 'sample_v14.laz'));
  inputs['sample_v14.laz'] = null;
  lazOf['sample_v14.laz'] = 'sample_v14.las';
  // The LAZ sample holds the LAS sample's records.
  const sample = [await readBack(path.join(workDir, 'sample_v14.laz')), await readBack(path.join(workDir, 'sample_v14.las'))];
  check(sample[0].records.equals(sample[1].records) && sample[0].count === 30, 'sample_v14.laz: not the records of sample_v14.las');

  const grid = path.join(dataDir, 'Marevert_Demo_Synthetic_NotForNavigation.MRGGrid');
  execFileSync(
    cli,
    ['transform', '--grid', grid, '--from', 'LAT', '--to', 'AHD', '--zone', '56', '--depths-positive']
      .concat(Object.keys(inputs)),
    { cwd: workDir, stdio: ['ignore', 'ignore', 'inherit'] },
  );

  const outputsOf = {};
  for (const [name, layout] of Object.entries(inputs)) {
    const input = await readBack(path.join(workDir, name));
    const [stem, extension] = [path.join(workDir, name.slice(0, -4)), name.slice(-4)];
    const transformedFile = `${stem}_AHD${extension}`;
    const excludedFile = `${stem}_LAT${extension}`;
    const transformed = await checkOutput(transformedFile);
    const excluded = fs.existsSync(excludedFile) ? await checkOutput(excludedFile) : null;
    outputsOf[name] = [transformed, excluded];
    check(transformed.count + (excluded ? excluded.count : 0) === input.count, `${name}: points lost or added`);
    // Depths moved, so a header copied from the input would not describe the records.
    check(transformed.header.min[2] !== input.header.min[2], `${name}: Z minimum as in the input`);
    if (layout && layout.outsideEvery === 0) {
      check(excluded === null && transformed.count === input.count, `${name}: not every point transformed`);
    } else if (layout) {
      const expected = Math.floor(layout.count / layout.outsideEvery);
      check(excluded !== null && excluded.count === expected, `${name}: excluded points`);
    }
  }

  // Each LAZ file's outputs hold the records of the same points' LAS outputs, and their
  // headers say the same.
  for (const [laz, las] of Object.entries(lazOf)) {
    for (const [ours, expected] of outputsOf[laz].map((output, i) => [output, outputsOf[las][i]])) {
      check((ours === null) === (expected === null), `${laz}: not the outputs of ${las}`);
      if (ours === null) continue;
      check(ours.records.equals(expected.records), `${laz}: records not those of ${las}'s output`);
      check(ours.count === expected.count, `${laz}: count`);
      check(JSON.stringify([ours.header.min, ours.header.max]) === JSON.stringify([expected.header.min, expected.header.max]),
        `${laz}: extent`);
    }
  }

  // The demo's 1.2 sample: 27 points transformed, depths 12.20 to 21.77 m below AHD.
  const demo = await readBack(path.join(workDir, 'sample_v12_AHD.las'));
  check(demo.count === 27, `sample_v12_AHD.las holds ${demo.count} points`);
  check(demo.header.min[2].toFixed(2) === '12.20', `sample_v12_AHD.las: min Z ${demo.header.min[2]}`);
  check(demo.header.max[2].toFixed(2) === '21.77', `sample_v12_AHD.las: max Z ${demo.header.max[2]}`);
  check(demo.header.pointCountByReturn[0] === 27, `sample_v12_AHD.las: first returns ${demo.header.pointCountByReturn}`);

  console.log(`LAS and LAZ outputs read back with copc: ${checks} passed, 0 failed (${Object.keys(lazOf).length} LAZ files)`);
}

main().catch((error) => {
  console.error(error.stack || error);
  process.exit(1);
});
