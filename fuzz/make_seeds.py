#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into a folder (one subfolder per target).

Seeds are small files in each format built here, plus cut-down copies of the program's
own data files, so nothing large is kept in the repository.
    make_seeds.py <source folder> <corpus folder>
"""
import glob
import os
import struct
import subprocess
import sys
import tempfile

root, out = sys.argv[1], sys.argv[2]


def put(target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def data_file(pattern, limit=None):
    for path in sorted(glob.glob(os.path.join(root, "data", pattern))):
        with open(path, "rb") as f:
            yield os.path.basename(path), f.read(limit) if limit else f.read()


# Binary grid: a 2 x 2 lattice, and the start of the demo grid.
def grid(rows, size=1.0 / 60):
    head = b"MRG" + struct.pack("<7i", 1, 0, 1, 0, 2030, 1, 1)
    head += struct.pack("<5d", size, -12.5, -12.5 + size * (len(rows) - 1), 130.25, 130.25 + size)
    head += struct.pack("<2f", -50.0, 100.0) + struct.pack("<i", len(rows))
    for row in rows:
        head += struct.pack("<i", len(row))
        for col in row:
            head += struct.pack("<i", col) + struct.pack("<14H", *[1000 + 13 * k + col for k in range(14)])
    return head


put("grid_read", "small", grid([[0, 1], [0, 1]]))
put("grid_read", "sparse", grid([[1], [], [0, 1]]))
for name, data in data_file("*.MRGGrid", 6000):
    put("grid_read", name, data)

# Text grid: a 3 x 3 lattice of 60-second cells.
lines = []
for r in range(3):
    for c in range(3):
        lines.append("%.9f %.9f " % (-27.0 + r / 60.0, 153.0 + c / 60.0) + " ".join("%.2f" % (0.25 * k + r) for k in range(14)))
put("grid_text", "lattice", ("\n".join(lines) + "\n").encode())
put("grid_text", "crlf_comment", ("# header\r\n" + "\r\n".join(lines[:5]) + "\r\nnot a line\r\n").encode())

# Coast data: two lines and two towns, and the start of the real file.
coast = b"MRL" + struct.pack("<2i", 1, 0) + struct.pack("<i", 2)
coast += struct.pack("<i", 3) + struct.pack("<6f", 150, -30, 151, -30, 151, -29)
coast += struct.pack("<i", 1) + struct.pack("<2f", 152, -28)
coast += struct.pack("<i", 2)
for name, x, y in (("Port", 150.5, -29.5), ("Bay", 151.5, -28.5)):
    coast += b"\0" + struct.pack("<i", len(name)) + name.encode("utf-16-le") + struct.pack("<2f", x, y)
put("coast_data", "small", coast)
for name, data in data_file("*.bin", 3000):
    put("coast_data", name, data)

# RTF: the program's documents and a few constructs.
for name, data in data_file("*.rtf"):
    put("rtf", name, data)
put("rtf", "fields", rb"{\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red255\green0\blue0;}"
    rb"\pard\qc\li720\sb120{\b\i\ul\fs28\cf1 Bold}\par{\field{\*\fldinst HYPERLINK "
    rb"\"http://example.org\"}{\fldrslt link}}\u8364?\'e9\tab\line www.example.org.\par}")
put("rtf", "plain", b"plain text\r\nsecond line mailto:a@b.c\n")

# Survey files for the small fixed grid (latitudes -30 to -25, longitudes 150 to 155).
put("file_text", "points", b"153.2 -27.5 10.0\n153.2,-27.5,11.5 extra\n140 -27.5 3\n# note\n153.3\t-27.6\t-4.25\n")
put("file_text", "grid_coords", b"500000.0 7000000.0 12.0\r\n510000.5, 6990000.0, 1e1\r\n")

htf = ("HTF HEADER\nHTF VERSION: 2.0\nTOTAL SOUNDINGS: 3         \nTOTAL VALID SOUNDINGS: 2         \n"
       "GRID ZONE: 56\nSURVEY: harbour\nSOUNDING DATA\n[10000110000]\n"
       "0 -27.5 153.2 10.00 A\n1 -27.5 153.2 12.00 C\n; comment\n0 -27.5* 153.2 13.00\n"
       "END OF SOUNDING DATA\n")
put("file_htf", "latlon", htf.encode())
put("file_htf", "grid", htf.replace("[10000110000]", "[10000001100]")
    .replace("0 -27.5 153.2", "0 500000 7000000").encode())

put("file_esri", "corner", b"ncols 2\nnrows 2\nxllcorner 154.3\nyllcorner -27.0\ncellsize 0.5\n"
    b"NODATA_value -9999\n1.0 -9999\n2.0 3.0\n")
put("file_esri", "centre", b"NCOLS 3\r\nNROWS 1\r\nXLLCENTER 154.3\r\nYLLCENTER -27.0\r\nCELLSIZE 0.25\r\n"
    b"NODATA_VALUE -9999\r\n1 2 -9999\r\n")


def vlr(user, record_id, data):
    return struct.pack("<H16sHH32s", 0, user, record_id, len(data), b"") + data


def las(minor, points, record=20, vlrs=()):
    size = 375 if minor >= 4 else 227
    head = bytearray(size)
    head[0:4] = b"LASF"
    head[24], head[25] = 1, minor
    vlr_bytes = b"".join(vlrs) or b"VLR-BYTES-"
    offset = size + len(vlr_bytes)
    struct.pack_into("<H", head, 94, size)
    struct.pack_into("<I", head, 96, offset)
    struct.pack_into("<I", head, 100, len(vlrs))
    struct.pack_into("<B", head, 104, 1)
    struct.pack_into("<H", head, 105, record)
    struct.pack_into("<I", head, 107, 0 if minor >= 4 else len(points))
    struct.pack_into("<6d", head, 131, 0.01, 0.01, 0.01, 150.0, -30.0, 0.0)
    if minor >= 4:
        struct.pack_into("<QIQ", head, 235, offset + len(points) * record, 1, len(points))
    body = b"".join(struct.pack("<3i", *p) + bytes(range(record - 12)) for p in points)
    return bytes(head) + vlr_bytes + body + b"EVLR-TAIL"


put("file_las", "v12", las(2, [(320, 250, 1000), (-1000, 250, 5), (330, 260, -400)]))
put("file_las", "v14", las(4, [(320, 250, 1000), (330, 260, 20)]))
put("file_las", "v10_short", las(0, [(320, 250, 1000)], record=12))
# CRS records: GeoTIFF keys of MGA zone 55 with their citation, and a WKT (points at
# longitude 150 + 0.01 x as the others, so both read them by the batch's rule).
geo_keys = struct.pack("<16H", 1, 1, 0, 3, 1024, 0, 1, 1, 3072, 0, 1, 28355, 3073, 34737, 20, 0)
put("file_las", "v12_geokeys", las(2, [(320, 250, 1000), (330, 260, -400)], vlrs=(
    vlr(b"LASF_Projection", 34735, geo_keys), vlr(b"LASF_Projection", 34737, b"GDA94 / MGA zone 55|"))))
put("file_las", "v14_wkt", las(4, [(320, 250, 1000)], vlrs=(vlr(b"LASF_Projection", 2112,
    b'COMPD_CS["x",PROJCS["GDA94 / MGA zone 56",AUTHORITY["EPSG","28356"]],VERT_CS["AHD",AUTHORITY["EPSG","5711"]]]\0'),)))

# The sample survey files, where present (cut to the fuzzers' length limit).
for ext, target in ((".asc", "file_esri"), (".xyz", "file_text"), (".htf", "file_htf"), (".las", "file_las"),
                    (".laz", "file_las")):
    for name, data in data_file(os.path.join("samples", "*" + ext), 8192):
        put(target, name, data)
# LAZ for the LAS handler: the real files of other encoders that fit the length limit
# whole (a COPC file among them: variable chunks, COPC's records).
for path in sorted(glob.glob(os.path.join(root, "tests", "data", "real", "laz", "*.laz"))):
    if os.path.getsize(path) <= 8192:
        with open(path, "rb") as f:
            put("file_las", os.path.basename(path), f.read())


# LAZ: the first 1,500 bytes of the first chunk of real files of point formats 0 to 3 (from
# tests/data/real/laz), to be decoded until its bytes run out; and their chunk tables.
for path in sorted(glob.glob(os.path.join(root, "tests", "data", "real", "laz", "f[0-3]_*.laz"))):
    with open(path, "rb") as f:
        laz = f.read()
    offset, = struct.unpack_from("<I", laz, 96)
    fmt, length, count = laz[104] & 0x3F, *struct.unpack_from("<HI", laz, 105)
    table, = struct.unpack_from("<q", laz, offset)
    extra = length - (20, 28, 26, 34)[fmt]
    if count == 0 or not 0 <= extra < 8 or b"laszip encoded" not in laz[:offset] or not offset < table < len(laz):
        continue
    name = os.path.basename(path)
    chunk = laz[offset + 8:min(table, offset + 8 + 1500)]
    put("laz", name, bytes([fmt | extra << 2]) + struct.pack("<H", min(count, 50000)) + chunk)
    put("laz", name + ".table", bytes([0x80]) + struct.pack("<II", table - offset - 8, count) + laz[table:table + 4000])


# LAZ, layered chunks (point formats 6 to 8, from tests/data/real/laz): the first chunk cut
# down to at most 200 points with each layer cut to its first 160 bytes (the chunk's own
# point count set to match), so that every layer is decoded until it runs out.
LAYERS = {6: 9, 7: 10, 8: 11}
for path in sorted(glob.glob(os.path.join(root, "tests", "data", "real", "laz", "f[6-8]_*.laz"))):
    with open(path, "rb") as f:
        laz = f.read()
    offset, = struct.unpack_from("<I", laz, 96)
    fmt, length = laz[104] & 0x3F, struct.unpack_from("<H", laz, 105)[0]
    extra = length - {6: 30, 7: 36, 8: 38}[fmt]
    if not 0 <= extra < 8:
        continue
    start = offset + 8
    count, = struct.unpack_from("<I", laz, start + length)
    layers = LAYERS[fmt] + extra
    sizes = struct.unpack_from("<%dI" % layers, laz, start + length + 4)
    at = start + length + 4 + 4 * layers
    cut = []
    for size in sizes:
        cut.append(laz[at:at + min(size, 160)])
        at += size
    points = min(count, 200)
    chunk = laz[start:start + length] + struct.pack("<I", points)
    chunk += struct.pack("<%dI" % layers, *[len(c) for c in cut]) + b"".join(cut)
    put("laz", os.path.basename(path), bytes([0x20 | (fmt - 6) | extra << 2]) + struct.pack("<H", points) + chunk)


# Rasters: small GeoTIFFs inside the small fixed grid, made with GDAL's own tools (in
# latitude/longitude, in MGA zone 56, without CRS, scaled Int16, tiled and compressed,
# two bands), and the sample GeoTIFF.
def geotiff(name, *options, ot="Float32", srs="EPSG:4283", ullr=("151.0", "-26.0", "151.4", "-26.3"), bands=1):
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "seed.tif")
        burn = [arg for b in range(bands) for arg in ("-burn", str(2.5 + b))]
        command = ["gdal_create", "-q", "-of", "GTiff", "-outsize", "4", "3", "-bands", str(bands), "-ot", ot] + burn
        if srs:
            command += ["-a_srs", srs]
        command += ["-a_ullr", *ullr, *options, out]
        if subprocess.run(command, capture_output=True).returncode == 0:
            with open(out, "rb") as f:
                put("file_raster", name, f.read())


geotiff("geographic", "-a_nodata", "-9999")
geotiff("mga56", ot="Float32", srs="EPSG:28356", ullr=("500000", "7000000", "504000", "6997000"))
geotiff("no_crs", srs=None)
geotiff("int16", "-a_nodata", "-32768", ot="Int16")
geotiff("tiled", "-co", "TILED=YES", "-co", "BLOCKXSIZE=16", "-co", "BLOCKYSIZE=16", "-co", "COMPRESS=DEFLATE")
geotiff("two_bands", "-co", "INTERLEAVE=PIXEL", bands=2)
for name, data in data_file(os.path.join("samples", "*.tif"), 8192):
    put("file_raster", name, data)
