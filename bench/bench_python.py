"""marevert.transform on 5,000,000 random points of the bench area, side by side with
pyproj (a +proj=vgridshift pipeline on a GTX of the same surface) and with the C++
façade's own rate on the same arrays.

The bench area is the point benchmarks' lattice: 600 x 600 nodes at one minute from
(-40, 140), every node present, smoothly varying surfaces. This script writes it as a
grid file and the LAT -> AHD separation at its nodes as a GTX file itself.

usage: /usr/bin/python3 bench/bench_python.py BUILD_DIR
"""

import pathlib
import struct
import subprocess
import sys
import tempfile
import time

import numpy as np

SIDE = 600
GRID_SIZE = 1.0 / 60
MIN_LAT, MIN_LON = -40.0, 140.0
OFFSET, SCALE = -50.0, 100.0
POINTS = 5_000_000
LAT, AHD = 0, 6  # surface indices


def node_values():
    """The fourteen surfaces at every node, metres: [row, column, surface]."""
    r, c = np.meshgrid(np.arange(SIDE), np.arange(SIDE), indexing="ij")
    k = np.arange(14)
    return -3.0 + 0.4 * k + 0.001 * ((r * 7 + c * 3) % 100)[:, :, None]


def encode(values):
    """The grid's coding: (v - offset) * scale in float32, plus 0.5, truncated."""
    scaled = (values.astype(np.float32) - np.float32(OFFSET)) * np.float32(SCALE)
    return np.clip(scaled.astype(np.float64) + 0.5, 0, 65535).astype(np.int32).astype(np.uint16)


def decode(codes):
    return (codes.astype(np.float64) / SCALE + OFFSET).astype(np.float32)


def write_grid(path, codes):
    top = MIN_LAT + (SIDE - 1) * GRID_SIZE
    right = MIN_LON + (SIDE - 1) * GRID_SIZE
    header = b"MRG" + struct.pack("<iiiiiiid4dffi", 1, 0, 1, 0, 2030, 1, 1, GRID_SIZE, MIN_LAT, top, MIN_LON, right,
                                  OFFSET, SCALE, SIDE)
    record = np.dtype([("column", "<i4"), ("codes", "<u2", 14)])
    with open(path, "wb") as f:
        f.write(header)
        for r in range(SIDE):
            row = np.zeros(SIDE, record)
            row["column"] = np.arange(SIDE)
            row["codes"] = codes[r]
            f.write(struct.pack("<i", SIDE))
            f.write(row.tobytes())


def write_gtx(path, separation):
    """GTX: big-endian header (south, west, spacing in latitude and longitude, rows,
    columns), then float32 values row by row from the south."""
    with open(path, "wb") as f:
        f.write(struct.pack(">4d2i", MIN_LAT, MIN_LON, GRID_SIZE, GRID_SIZE, SIDE, SIDE))
        f.write(separation.astype(">f4").tobytes())


def best_of(runs, work):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        result = work()
        best = min(best, time.perf_counter() - start)
    return best, result


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build-bench").resolve()
    sys.path.insert(0, str(build / "python"))
    import marevert
    import pyproj

    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        codes = encode(node_values())
        write_grid(scratch / "bench.MRGGrid", codes)
        decoded = decode(codes)
        write_gtx(scratch / "lat_to_ahd.gtx", decoded[:, :, LAT] - decoded[:, :, AHD])

        rng = np.random.default_rng(1)
        span = (SIDE - 1) * GRID_SIZE
        lon = rng.uniform(MIN_LON, MIN_LON + span, POINTS)
        lat = rng.uniform(MIN_LAT, MIN_LAT + span, POINTS)
        z = rng.uniform(-50, 50, POINTS)

        grid = marevert.Grid(scratch / "bench.MRGGrid")
        ours, (z_ours, inside) = best_of(3, lambda: marevert.transform(grid, lon, lat, z, "LAT", "AHD"))

        pipeline = pyproj.Transformer.from_pipeline(
            "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
            f"+step +proj=vgridshift +grids={scratch / 'lat_to_ahd.gtx'} +multiplier=1 "
            "+step +proj=unitconvert +xy_in=rad +xy_out=deg")
        theirs, (_, _, z_proj) = best_of(3, lambda: pipeline.transform(lon, lat, z))

        np.concatenate([lon, lat, z]).tofile(scratch / "arrays.bin")
        out = subprocess.run([build / "bench-tools" / "bench_facade_arrays", scratch / "bench.MRGGrid",
                              scratch / "arrays.bin", "LAT", "AHD"], check=True, capture_output=True, text=True).stdout
        facade = float(dict(line.split() for line in out.splitlines())["seconds"])

    # Both interpolate the same nodes bilinearly; ours also codes the result in 1 cm steps.
    difference = np.abs(z_ours[inside] - z_proj[inside]).max()
    print(f"points: {POINTS:,}, inside: {inside.sum():,}, largest difference from pyproj: {difference:.4f} m")
    print(f"marevert.transform   {ours:8.3f} s  {POINTS / ours / 1e6:7.2f} M points/s")
    print(f"pyproj vgridshift    {theirs:8.3f} s  {POINTS / theirs / 1e6:7.2f} M points/s")
    print(f"C++ facade           {facade:8.3f} s  {POINTS / facade / 1e6:7.2f} M points/s")
    print(f"ratio marevert / pyproj throughput: {theirs / ours:.2f} (target at least 5)")
    print(f"ratio module time / C++ facade time: {ours / facade:.3f} (target at most 1.3)")
    if difference > 0.011:
        sys.exit("the two results differ by more than the coding step")


if __name__ == "__main__":
    main()
