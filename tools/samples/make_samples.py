#!/usr/bin/env python3
"""Writes small sample survey files, one per format that Marevert transforms, for
`make demo` and for trying the file transformation page.

The soundings are made up. They lie off the coast north of Sydney, inside the synthetic
demo grid (data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid), with a few points
placed outside it on purpose so that the excluded files and the "points were outside
the grid" warnings can be seen as well. Every value is a depth, positive down
(transform them with "Depths positive/Heights negative", --depths-positive).

The LAZ sample is the 1.4 LAS sample compressed by Marevert's own LAZ encoder
(laz_tool, built with the tests: make build), in LASzip's chunks of 50,000 points.

Usage: tools/samples/make_samples.py [OUTPUT_FOLDER [LAZ_TOOL]]
       (default: data/samples, and build/tools/laz_tool)
"""

import os
import struct
import subprocess
import sys

# Inside the demo grid: latitudes -33.10 to -33.40, longitudes 151.70 to 151.90.
CENTRE_LAT, CENTRE_LON = -33.25, 151.80
# Map-grid coordinates of the centre in MGA zone 56 (GRS80 transverse Mercator).
CENTRE_EASTING, CENTRE_NORTHING = 388214.92, 6320355.58
# East of the demo grid's last column: never inside.
OUTSIDE_LON = 155.0


def soundings(count):
    """(latitude, longitude, depth in metres, positive down) on a small spiral."""
    points = []
    for i in range(count):
        ring = 0.01 * (1 + i % 7)
        lat = CENTRE_LAT + ring * ((i * 37) % 11 - 5) / 5.0
        lon = CENTRE_LON + ring * ((i * 53) % 13 - 6) / 6.0
        depth = 12.0 + 0.37 * i - 0.05 * (i % 5)
        points.append((round(lat, 6), round(lon, 6), round(depth, 2)))
    return points


def write_xyz_latlon(path):
    lines = ["%.6f %.6f %.2f" % (lon, lat, z) for lat, lon, z in soundings(24)]
    lines += ["%.6f %.6f %.2f" % (OUTSIDE_LON, -33.2 - 0.01 * i, 20.0 + i) for i in range(3)]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def write_xyz_mga(path):
    lines = []
    for i in range(20):
        easting = CENTRE_EASTING + 150.0 * ((i * 7) % 9 - 4)
        northing = CENTRE_NORTHING + 120.0 * ((i * 5) % 11 - 5)
        lines.append("%.2f,%.2f,%.2f" % (easting, northing, 8.0 + 0.41 * i))
    # Far to the east in the same zone: outside the grid.
    lines += ["%.2f,%.2f,%.2f" % (686318.19 + 100.0 * i, 6319214.06, 30.0 + i) for i in range(2)]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def write_esri_grid(path):
    # 4 x 4 cells of 0.1 degree; the two north-western cells lie on land, outside the
    # demo grid, and one cell holds no data.
    rows = []
    for r in range(4):
        values = []
        for c in range(4):
            values.append("-9999" if (r, c) == (2, 3) else "%.2f" % (10.0 + 1.5 * r + 0.75 * c))
        rows.append(" ".join(values))
    header = ["ncols 4", "nrows 4", "xllcorner 151.45", "yllcorner -33.40", "cellsize 0.1", "NODATA_value -9999"]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(header + rows) + "\n")


def las_header(minor, point_format, record_length, count, header_size):
    """A LAS 1.x public header (little-endian), no variable-length records."""
    pts = soundings(count)
    lats = [p[0] for p in pts]
    lons = [p[1] for p in pts] + [OUTSIDE_LON]
    zs = [p[2] for p in pts]
    h = bytearray(header_size)
    h[0:4] = b"LASF"
    h[24] = 1
    h[25] = minor
    h[26:26 + 32] = b"MAREVERT SAMPLE".ljust(32, b"\0")
    h[58:58 + 32] = b"make_samples.py".ljust(32, b"\0")
    struct.pack_into("<HHHII", h, 90, 1, 2026, header_size, header_size, 0)
    struct.pack_into("<BHI", h, 104, point_format, record_length, count if minor < 4 else 0)
    struct.pack_into("<I", h, 111, count)  # all first returns
    struct.pack_into("<dddddd", h, 131, 1e-7, 1e-7, 0.01, 0.0, 0.0, 0.0)
    struct.pack_into("<dddddd", h, 179, max(lons), min(lons), max(lats), min(lats), max(zs), min(zs))
    if minor >= 4:
        struct.pack_into("<QQIQ", h, 227, 0, 0, 0, count)
        struct.pack_into("<Q", h, 255, count)
    return h


def las_points(count, point_format):
    """Point records: the last three lie outside the demo grid. Z is the depth (positive
    down, like every sample) in centimetres."""
    out = bytearray()
    for i, (lat, lon, depth) in enumerate(soundings(count)):
        if i >= count - 3:
            lon = OUTSIDE_LON
        xyz = struct.pack("<iii", round(lon * 1e7), round(lat * 1e7), round(depth * 100))
        if point_format == 0:
            out += xyz + struct.pack("<HBBbBH", 100 + i, 0x09, 2, 0, 0, 1)
        else:  # format 6: returns, flags, class, user data, scan angle, source, GPS time
            out += xyz + struct.pack("<HBBBBhHd", 100 + i, 0x11, 0, 2, 0, 0, 1, 1000.0 + i)
    return out


def write_las(path, minor):
    count = 30
    if minor < 4:
        data = las_header(minor, 0, 20, count, 227) + las_points(count, 0)
    else:
        data = las_header(minor, 6, 30, count, 375) + las_points(count, 6)
    with open(path, "wb") as f:
        f.write(data)


def write_htf(path):
    records = []
    for i, (lat, lon, depth) in enumerate(soundings(16)):
        valid = "1" if i == 5 else "0"  # field 1 = 1 marks a record not valid
        if i >= 14:
            lon = OUTSIDE_LON
        records.append("%s %.6f %.6f %.2f" % (valid, lat, lon, depth))
    records.insert(8, "; line 2 starts here")
    lines = [
        "HTF HEADER",
        "HTF VERSION: 2.0",
        "TOTAL SOUNDINGS: 16        ",
        "TOTAL VALID SOUNDINGS: 15        ",
        "GRID ZONE: 56",
        "SURVEY: Marevert sample, made-up soundings",
        "SOUNDING DATA",
        "[10000110000]",
    ] + records + ["END OF SOUNDING DATA"]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "data", "samples")
    laz_tool = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "build", "tools", "laz_tool")
    os.makedirs(folder, exist_ok=True)
    write_xyz_latlon(os.path.join(folder, "sample_latlon.xyz"))
    write_xyz_mga(os.path.join(folder, "sample_mga56.xyz"))
    write_esri_grid(os.path.join(folder, "sample_grid.asc"))
    write_las(os.path.join(folder, "sample_v12.las"), 2)
    write_las(os.path.join(folder, "sample_v14.las"), 4)
    write_htf(os.path.join(folder, "sample_soundings.htf"))
    if not os.access(laz_tool, os.X_OK):
        sys.exit("No %s to write sample_v14.laz with: build it first (make build)" % laz_tool)
    subprocess.run([laz_tool, "compress", os.path.join(folder, "sample_v14.las"),
                    os.path.join(folder, "sample_v14.laz")], check=True)


if __name__ == "__main__":
    main()
