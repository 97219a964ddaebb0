// The LAS handler on real third-party files (tests/data/real and tests/data/real/laz,
// see their SOURCES.md), LAS and LAZ, its outputs read back with a LAS reader that is
// not ours (the npm package copc, which decodes LAZ with laz-perf):
//
// - Block shifts of +0.125 m (half a unit at a centimetre scale) and -0.123 m move every
//   point wherever it lies: each output record must hold the input's Z plus r, r being
//   shift / Z scale rounded half away from zero, and every other byte of every record
//   must be the input's; so must every byte of the file outside the records (but for
//   the header's extent and points by return, whose Z extent must be that of the
//   records). A LAZ output's chunks are its own, and so are the header's offsets to what
//   follows them; a COPC file's outputs are plain LAZ without its COPC records.
// - The file in MGA zone 55, in the demo grid from LAT to AHD, with the batch's zone 49:
//   the file's zone is used (and noted), and each point's r is the separation that the
//   xyz text handler gives at the same position (in zone 55), in units of the Z scale.
// - A LAZ file of LASzip 1.x and a file whose header counts more records than it holds
//   are refused (result 2, a note saying why), leave no output and stay as they were.
//
// Prints the figures: files, outputs, points checked and points off (which must be 0).
//
// Usage: node check_real_las.js MAREVERT_CLI DATA_FOLDER REAL_FOLDER WORK_FOLDER
// (NODE_PATH must reach the installed copc). Exit status 0 when every check holds.

'use strict';

const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { Las } = require('copc');

if (process.argv.length !== 6) {
  console.error('usage: node check_real_las.js MAREVERT_CLI DATA_FOLDER REAL_FOLDER WORK_FOLDER');
  process.exit(2);
}
const [cliSource, dataDir, realDir, workDir] = process.argv.slice(2).map((arg) => path.resolve(arg));
const grid = path.join(dataDir, 'Marevert_Demo_Synthetic_NotForNavigation.MRGGrid');
const lazDir = path.join(realDir, 'laz');
const cli = path.join(workDir, 'marevert-cli');

const REFUSED = {
  'f3_simple_compressor1_v1.laz': 'version 1 (written by LASzip before 2.0)',
  'pdal_bad_vlr_count.las': 'The header counts 3 variable-length records, but record 3 runs past',
};
const MGA55 = 'pdal_autzen-utm_mga55.las';

// The point format copc reads the first bytes of a record with: 4, 5, 9 and 10 are 1, 3,
// 6 and 8 followed by a wave packet descriptor.
const READ_AS = { 0: 0, 1: 1, 2: 2, 3: 3, 4: 1, 5: 3, 6: 6, 7: 7, 8: 8, 9: 6, 10: 8 };

// r: a change of `metres` in units of `scale`, rounded half away from zero.
function units(metres, scale) {
  const q = metres / scale;
  return Math.sign(q) * Math.round(Math.abs(q));
}

// The file's header as copc reads it, and its records (decoded by laz-perf when the file
// is LAZ). copc knows the 1.2 and 1.4 layouts; 1.0, 1.1 and 1.3 lay out the fields it
// reads as 1.2 does.
async function readLas(file) {
  const bytes = fs.readFileSync(file);
  const first = Buffer.concat([bytes.subarray(0, 375), Buffer.alloc(Math.max(0, 375 - bytes.length))]);
  if (first[25] !== 4) first[25] = 2;
  const header = Las.Header.parse(first);
  const count = Number(header.pointCount);
  const start = header.pointDataOffset;
  const length = header.pointDataRecordLength;
  const compressed = (bytes[104] & 0xc0) !== 0;
  let records = bytes.subarray(start, start + count * length);
  if (compressed && count > 0) {
    const readable = Buffer.from(bytes);
    readable[25] = first[25];
    records = Buffer.from(await Las.PointData.decompressFile(readable));
  }
  assert.equal(records.length, count * length, `${file}: records cut short`);
  const view = Las.View.create(records, { ...header, pointDataRecordFormat: READ_AS[header.pointDataRecordFormat] });
  const [x, y, z] = ['X', 'Y', 'Z'].map((name) => view.getter(name));
  // The stored integer back from the coordinate the reader gives (integer x scale + offset).
  const stored = (i) => Math.round((z(i) - header.offset[2]) / header.scale[2]);
  // What follows the point data: the extended records from 1.4 (in a LAZ file the chunk
  // table lies between), else for LAS whatever follows the records.
  const evlrs = header.minorVersion >= 4 && header.evlrCount > 0 ? Number(header.evlrOffset) : null;
  const tail = evlrs ?? (compressed ? bytes.length : start + count * length);
  return { bytes, header, count, start, length, records, compressed, tail, x, y, z, stored };
}

// The variable-length records before the points: [user, record ID, bytes] each.
function vlrs(file) {
  const found = [];
  let at = file.header.headerLength;
  for (let i = 0; i < file.header.vlrCount; ++i) {
    const size = 54 + file.bytes.readUInt16LE(at + 20);
    const user = file.bytes.subarray(at + 2, at + 18).toString('latin1').replace(/\0.*$/, '');
    found.push([user, file.bytes.readUInt16LE(at + 18), file.bytes.subarray(at, at + size)]);
    at += size;
  }
  return found;
}

const names = new Set();
let outputs = 0;
let lazOutputs = 0;
let points = 0;
let off = 0;

// `output` against `input`: the same bytes but Z and the header's summary (and a LAZ
// file's chunks), and each record's Z the input's plus expected(i) units.
async function checkOutput(input, output, expected) {
  const name = path.basename(output);
  const a = await readLas(input);
  const b = await readLas(output);
  assert.equal(b.count, a.count, `${name}: point count`);
  assert.equal(b.compressed, a.compressed, `${name}: compressed or not`);
  const copc = vlrs(a).some(([user, id]) => user === 'copc' && id === 1);
  // The extent (179-226) and the points by return (111-130, and 255-374 from 1.4) are
  // rewritten to describe the records; a LAZ output's extended records follow its own
  // chunks (235-242), and a COPC file's outputs have fewer records (96-103, 243-246).
  const rewritten = (i) =>
    (i >= 111 && i < 131) ||
    (i >= 179 && i < 227) ||
    (a.header.minorVersion >= 4 && i >= 255 && i < 375) ||
    (a.compressed && i >= 235 && i < 243) ||
    (copc && ((i >= 96 && i < 104) || (i >= 243 && i < 247)));
  for (let i = 0; i < a.header.headerLength; ++i) {
    if (!rewritten(i)) assert.equal(b.bytes[i], a.bytes[i], `${name}: header byte ${i}`);
  }
  const kept = vlrs(a).filter(([user]) => !copc || user !== 'copc');
  assert.deepEqual(vlrs(b), kept, `${name}: variable-length records`);
  if (!a.compressed) assert.equal(b.bytes.length, a.bytes.length, `${name}: size`);
  const gap = (f) => f.bytes.subarray(f.header.headerLength + vlrs(f).reduce((n, v) => n + v[2].length, 0), f.start);
  assert.ok(gap(b).equals(gap(a)), `${name}: bytes between the records and the points`);
  let low = Infinity;
  let high = -Infinity;
  for (let p = 0; p < a.count; ++p) {
    const at = p * a.length;
    for (let k = 0; k < a.length; ++k) {
      if (k < 8 || k >= 12) assert.equal(b.records[at + k], a.records[at + k], `${name}: record ${p} byte ${k}`);
    }
    if (b.stored(p) - a.stored(p) !== expected(p)) {
      if (off < 10) console.error(`${name}: point ${p} Z ${a.stored(p)} -> ${b.stored(p)}, expected + ${expected(p)}`);
      ++off;
    }
    low = Math.min(low, b.z(p));
    high = Math.max(high, b.z(p));
  }
  // What follows the points (a COPC file's hierarchy left out).
  const copcHierarchy = copc ? a.bytes.subarray(a.tail, a.tail + 60 + Number(a.bytes.readBigUInt64LE(a.tail + 20))) : null;
  const tail = copcHierarchy && copcHierarchy.subarray(2, 6).toString('latin1') === 'copc'
    ? a.bytes.subarray(a.tail + copcHierarchy.length) : a.bytes.subarray(a.tail);
  assert.ok(b.bytes.subarray(b.tail).equals(tail), `${name}: bytes after the points`);
  if (a.count > 0) {
    assert.equal(b.header.min[2], low, `${name}: header's Z minimum`);
    assert.equal(b.header.max[2], high, `${name}: header's Z maximum`);
  }
  names.add(path.basename(input));
  ++outputs;
  points += a.count;
  if (a.compressed) ++lazOutputs;
}

// Runs marevert-cli in `folder` on `names`; answers the results by file name.
function transform(folder, args, names, expectedStatus) {
  const run = spawnSync(cli, ['transform', ...args, '--result-json', 'result.json', ...names], { cwd: folder });
  assert.equal(run.status, expectedStatus, `transform ${args.join(' ')}: ${run.stderr}`);
  const results = {};
  for (const item of JSON.parse(fs.readFileSync(path.join(folder, 'result.json'))).results)
    results[path.basename(item.path)] = item;
  return results;
}

function freshFolder(name) {
  const folder = path.join(workDir, name);
  fs.mkdirSync(folder, { recursive: true });
  return folder;
}

async function main() {
  fs.rmSync(workDir, { recursive: true, force: true });
  fs.mkdirSync(workDir, { recursive: true });
  // A copy of the program, so that its application log stays in the work folder.
  fs.copyFileSync(cliSource, cli);
  fs.chmodSync(cli, 0o755);
  const sources = {};
  for (const dir of [realDir, lazDir])
    for (const name of fs.readdirSync(dir).filter((file) => /\.la[sz]$/.test(file))) sources[name] = path.join(dir, name);
  const inputs = Object.keys(sources).sort();
  assert.ok(inputs.length >= 20, `only ${inputs.length} real files in ${realDir}`);

  // ---- Block shifts: every point, exact to the unit -------------------------------------

  for (const shift of [0.125, -0.123]) {
    const folder = freshFolder(`shift${shift}`);
    for (const name of inputs) fs.copyFileSync(sources[name], path.join(folder, name));
    const results = transform(folder, ['--block-shift', String(shift)], inputs, 1);
    const outputsBefore = outputs;
    const pointsBefore = points;
    for (const name of inputs) {
      const result = results[name];
      const [stem, extension] = [name.slice(0, -4), name.slice(-4)];
      const outputs = fs.readdirSync(folder).filter((file) => !sources[file] && file.startsWith(`${stem}_`) && file.endsWith(extension));
      if (REFUSED[name]) {
        assert.equal(result.result, 2, `${name}: result`);
        assert.ok(result.notes.some((note) => note.includes(REFUSED[name])), `${name}: notes ${result.notes}`);
        assert.deepEqual(outputs, [], `${name}: outputs left`);
        assert.ok(fs.readFileSync(path.join(folder, name)).equals(fs.readFileSync(sources[name])), name);
        continue;
      }
      assert.equal(result.result, 0, `${name}: result ${result.result} ${result.notes}`);
      assert.equal(result.outside, 0, `${name}: points left out`);
      const input = await readLas(path.join(folder, name));
      assert.equal(outputs.length, input.count > 0 ? 1 : 0, `${name}: outputs ${outputs}`);
      const r = units(shift, input.header.scale[2]);
      if (input.count > 0) await checkOutput(path.join(folder, name), path.join(folder, outputs[0]), () => r);
    }
    console.log(`block shift ${shift} m: ${outputs - outputsBefore} files, ${points - pointsBefore} points`);
  }

  // ---- The MGA zone 55 file in the demo grid -------------------------------------------

  {
    const folder = freshFolder('grid');
    fs.copyFileSync(path.join(realDir, MGA55), path.join(folder, MGA55));
    const input = await readLas(path.join(folder, MGA55));
    let results = transform(folder, ['--grid', grid, '--from', 'LAT', '--to', 'AHD'], [MGA55], 0);
    assert.deepEqual(results[MGA55].notes, ["Zone 55 from the file's CRS"]);
    assert.equal(results[MGA55].transformed, input.count, 'points inside the grid');
    const output = path.join(folder, MGA55.replace(/\.las$/, '_AHD.las'));
    fs.renameSync(output, path.join(folder, 'by_file_zone.las'));
    results = transform(folder, ['--grid', grid, '--from', 'LAT', '--to', 'AHD', '--zone', '55'], [MGA55], 0);
    assert.deepEqual(results[MGA55].notes, [], 'a note although the zones agree');
    assert.ok(fs.readFileSync(output).equals(fs.readFileSync(path.join(folder, 'by_file_zone.las'))), 'zone 55 twice');

    // The same positions (as the reader gives them) through the xyz text handler in zone
    // 55, height 0: each line's new height is the separation there, to the centimetre.
    assert.equal(input.header.scale[2], 0.01);
    const lines = [];
    for (let p = 0; p < input.count; ++p) lines.push(`${input.x(p)} ${input.y(p)} 0`);
    fs.writeFileSync(path.join(folder, 'positions.xyz'), `${lines.join('\n')}\n`);
    transform(folder, ['--grid', grid, '--from', 'LAT', '--to', 'AHD', '--zone', '55'], ['positions.xyz'], 0);
    const separations = fs.readFileSync(path.join(folder, 'positions_AHD.xyz'), 'latin1').trim().split('\n')
      .map((line) => Number(line.trim().split(/\s+/)[2]));
    assert.equal(separations.length, input.count, 'positions inside the grid');
    await checkOutput(path.join(folder, MGA55), output, (p) => units(separations[p], 0.01));
    console.log(`grid LAT to AHD, zone 55 from the file: 1 file, ${input.count} points`);
  }

  console.log(
    `Real LAS and LAZ files read back with copc: ${names.size} files, ${outputs} outputs (${lazOutputs} LAZ), ` +
      `${points} points checked, ${off} points off`,
  );
  assert.equal(off, 0, `${off} points not at the input's Z plus the shift in Z units`);
}

main().catch((error) => {
  console.error(error.stack || error);
  process.exit(1);
});
