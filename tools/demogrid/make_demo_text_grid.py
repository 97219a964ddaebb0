#!/usr/bin/env python3
"""Writes a text grid of synthetic vertical reference surfaces along the coast of
Australia, for the demo grid file that ships with Marevert.

Every value is made up. The surfaces are plausible in shape and size so that the
program can be tried out, but they are NOT survey data and must never be used for
navigation or any real transformation.

One line per lattice node: latitude, longitude, then the heights above the ellipsoid
in metres of LAT, MLLW, MLWS, MLW, MHLW, MLWN, AHD, MSL, MLHW, MHWN, MHW, MHHW, MHWS,
HAT. Nodes lie within a band around a coarse coastline (mainland and Tasmania).

  AHD   geoid height (EGM96 from Debian's proj-data when available, otherwise a smooth
        stand-in surface) plus a gentle north-south tilt of a few decimetres.
  MSL   AHD plus a smooth sea-surface offset between about -0.1 and +0.3 m.
  tides MSL plus fractions of half the tidal range; the range runs from about 1 m on
        the southern coasts to about 10 m in the Kimberley, with local maxima around
        Darwin and Broad Sound. By level: LAT < MLWS < MLLW < MLW < MLWN < MHLW < MSL
        < MLHW < MHWN < MHW < MHHW < MHWS < HAT at every node.

Standard library only.
"""

import argparse
import math
import os
import struct
import sys

# Coarse coastline, (longitude, latitude) in decimal degrees, closed rings.
MAINLAND = [
    (142.5, -10.7), (143.3, -11.9), (143.8, -13.9), (144.5, -14.3), (145.3, -15.0), (145.4, -16.4),
    (146.0, -17.5), (146.3, -18.9), (147.4, -19.4), (148.5, -20.1), (149.2, -21.0), (150.0, -22.1),
    (150.8, -22.6), (150.8, -23.5), (151.7, -24.1), (152.5, -24.9), (153.2, -25.9), (153.1, -27.0),
    (153.6, -28.2), (153.3, -29.5), (153.0, -31.0), (152.5, -32.5), (151.3, -33.9), (150.8, -35.0),
    (150.2, -36.0), (150.0, -37.5), (149.0, -37.8), (147.8, -37.9), (146.4, -39.1), (145.0, -38.5),
    (144.6, -38.3), (143.5, -38.8), (142.0, -38.4), (140.9, -38.05), (139.8, -37.2), (139.3, -35.6),
    (138.1, -35.6), (138.5, -34.9), (138.1, -34.2), (136.9, -35.2), (137.8, -32.5), (135.9, -34.8),
    (135.1, -33.6), (134.2, -32.8), (133.6, -32.1), (132.0, -31.6), (131.1, -31.5), (129.0, -31.7),
    (127.0, -32.3), (125.0, -32.9), (123.6, -33.9), (121.9, -33.9), (119.9, -33.9), (118.0, -35.0),
    (116.7, -35.0), (115.0, -34.3), (115.1, -33.6), (115.7, -33.3), (115.7, -32.0), (115.0, -30.0),
    (114.6, -28.8), (114.1, -27.7), (113.5, -26.5), (113.7, -24.0), (113.8, -22.0), (114.1, -21.8),
    (115.0, -21.5), (116.8, -20.6), (118.6, -20.3), (120.0, -19.8), (121.2, -19.0), (122.2, -18.0),
    (122.8, -16.5), (123.5, -17.0), (124.0, -16.3), (125.0, -15.0), (126.1, -14.1), (127.5, -14.0),
    (128.1, -15.0), (129.0, -14.8), (129.6, -14.0), (130.1, -13.0), (130.8, -12.4), (131.8, -11.3),
    (132.6, -11.6), (133.5, -11.8), (135.0, -12.1), (136.6, -12.0), (136.2, -13.3), (135.9, -15.0),
    (137.0, -15.9), (138.5, -16.8), (139.6, -17.6), (140.8, -17.4), (141.5, -15.5), (141.6, -13.5),
    (142.0, -11.5), (142.5, -10.7),
]
TASMANIA = [
    (144.6, -40.7), (146.0, -41.1), (147.9, -40.8), (148.3, -41.4), (148.0, -42.8), (147.5, -43.3),
    (146.8, -43.6), (146.0, -43.6), (145.2, -42.2), (144.7, -41.2), (144.6, -40.7),
]

DEFAULT_GEOID = "/usr/share/proj/egm96_15.gtx"


class GtxGeoid:
    """A geoid model in the NOAA .gtx layout: a 40-byte big-endian header (south-west
    latitude and longitude, latitude and longitude spacing in degrees, row and column
    counts) followed by big-endian float32 heights in metres, rows from south to north."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        self.lat0, self.lon0, self.dlat, self.dlon, self.rows, self.cols = struct.unpack(">4d2i", data[:40])
        self.values = struct.unpack(">%df" % (self.rows * self.cols), data[40:40 + 4 * self.rows * self.cols])

    def _at(self, r, c):
        return self.values[r * self.cols + c % self.cols]

    def height(self, lat, lon):
        y = (lat - self.lat0) / self.dlat
        x = ((lon - self.lon0) % 360.0) / self.dlon
        r, c = int(y), int(x)
        fy, fx = y - r, x - c
        r1 = min(r + 1, self.rows - 1)
        return ((1 - fy) * ((1 - fx) * self._at(r, c) + fx * self._at(r, c + 1)) +
                fy * ((1 - fx) * self._at(r1, c) + fx * self._at(r1, c + 1)))


class SmoothGeoid:
    """A smooth stand-in with roughly the shape of the geoid over Australia: about
    -30 m in the south-west rising to +60 m in the north-east."""

    def height(self, lat, lon):
        return (15.0 + 0.9 * (lon - 133.0) - 1.2 * (lat + 25.0) + 6.0 * math.sin(math.radians(lon * 7.0)) *
                math.cos(math.radians(lat * 5.0)))


def bump(lat, lon, lat0, lon0, sigma):
    return math.exp(-((lat - lat0) ** 2 + (lon - lon0) ** 2) / (2.0 * sigma * sigma))


def tidal_range(lat, lon):
    """Spring tidal range (HAT - LAT) in metres."""
    south = max(0.0, min(1.0, (-lat - 25.0) / 6.0))  # 0 north of 25 S, 1 south of 31 S
    base = 2.2 - 1.3 * south
    return (base + 8.5 * bump(lat, lon, -16.0, 123.8, 2.5)     # Kimberley
            + 4.0 * bump(lat, lon, -12.5, 130.6, 1.8)          # Darwin
            + 5.0 * bump(lat, lon, -22.2, 149.8, 1.2)          # Broad Sound
            + 1.5 * bump(lat, lon, -34.0, 137.6, 1.0)          # Spencer Gulf
            + 1.2 * bump(lat, lon, -39.0, 145.5, 1.2))         # Bass Strait


# Heights relative to MSL, as fractions of half the tidal range, in storage order
# (LAT, MLLW, MLWS, MLW, MHLW, MLWN, -, -, MLHW, MHWN, MHW, MHHW, MHWS, HAT).
LOW = {"LAT": -1.00, "MLLW": -0.70, "MLWS": -0.80, "MLW": -0.55, "MHLW": -0.25, "MLWN": -0.32}
HIGH = {"MLHW": 0.25, "MHWN": 0.32, "MHW": 0.55, "MHHW": 0.70, "MHWS": 0.80, "HAT": 1.00}


def surfaces(lat, lon, geoid):
    ahd = geoid.height(lat, lon) + 0.35 + 0.02 * (lat + 25.0)  # a few decimetres of tilt
    msl = ahd + 0.1 + 0.15 * math.sin(math.radians(lon * 9.0)) * math.cos(math.radians(lat * 6.0))
    half = tidal_range(lat, lon) / 2.0
    skew = 0.03 * math.sin(math.radians(lat * 11.0 + lon * 4.0))  # low and high waters not mirror images
    low = {k: msl + f * half * (1.0 + skew) for k, f in LOW.items()}
    high = {k: msl + f * half * (1.0 - skew) for k, f in HIGH.items()}
    return [low["LAT"], low["MLLW"], low["MLWS"], low["MLW"], low["MHLW"], low["MLWN"], ahd, msl,
            high["MLHW"], high["MHWN"], high["MHW"], high["MHHW"], high["MHWS"], high["HAT"]]


def band_nodes(rings, grid, band, lat0, lon0):
    """Lattice nodes (row, column) within `band` degrees of a coastline segment."""
    nodes = set()
    for ring in rings:
        for (x1, y1), (x2, y2) in zip(ring, ring[1:]):
            r_lo = math.floor((min(y1, y2) - band - lat0) / grid)
            r_hi = math.ceil((max(y1, y2) + band - lat0) / grid)
            c_lo = math.floor((min(x1, x2) - band - lon0) / grid)
            c_hi = math.ceil((max(x1, x2) + band - lon0) / grid)
            dx, dy = x2 - x1, y2 - y1
            length2 = dx * dx + dy * dy
            for r in range(r_lo, r_hi + 1):
                y = lat0 + r * grid
                for c in range(c_lo, c_hi + 1):
                    x = lon0 + c * grid
                    t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / length2))
                    ex, ey = x - (x1 + t * dx), y - (y1 + t * dy)
                    if ex * ex + ey * ey <= band * band:
                        nodes.add((r, c))
    return sorted(nodes)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--output", required=True, help="text grid file to write")
    parser.add_argument("--grid-size", type=float, default=120.0, help="lattice spacing in seconds (default 120)")
    parser.add_argument("--band", type=float, default=0.3, help="half width of the coastal band in degrees")
    parser.add_argument("--geoid", default=DEFAULT_GEOID,
                        help="a .gtx geoid model (default: Debian proj-data's EGM96); smooth stand-in if missing")
    args = parser.parse_args()

    if os.path.exists(args.geoid):
        geoid = GtxGeoid(args.geoid)
        print("geoid: " + args.geoid, file=sys.stderr)
    else:
        geoid = SmoothGeoid()
        print("geoid: smooth stand-in (no %s)" % args.geoid, file=sys.stderr)

    grid = args.grid_size / 3600.0
    lat0, lon0 = -45.0, 110.0  # lattice origin; every node is lat0 + r * grid, lon0 + c * grid
    nodes = band_nodes([MAINLAND, TASMANIA], grid, args.band, lat0, lon0)
    with open(args.output, "w", newline="\n") as out:
        out.write("Latitude Longitude LAT MLLW MLWS MLW MHLW MLWN AHD MSL MLHW MHWN MHW MHHW MHWS HAT\n")
        for r, c in nodes:
            lat, lon = lat0 + r * grid, lon0 + c * grid
            values = surfaces(lat, lon, geoid)
            out.write("%.10f %.10f %s\n" % (lat, lon, " ".join("%.3f" % v for v in values)))
    print("%d nodes written to %s" % (len(nodes), args.output), file=sys.stderr)


if __name__ == "__main__":
    main()
