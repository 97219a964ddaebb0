#!/usr/bin/python3
"""The raster handler end to end, checked with GDAL's own tools.

Each case makes small rasters with gdal_translate, gdalwarp and gdalbuildvrt from
made-up ESRI ASCII grids inside the synthetic demo grid (depths off the coast north of
Sydney and in Bass Strait, a few cells on land outside it, a few without data),
transforms them with marevert-cli, and reads the outputs back with gdalinfo -json and
gdal_translate -of XYZ, never with Marevert's own code. Every cell is checked against
marevert-cli point at the cell's centre; positions in map grids or other projections
are turned into latitude and longitude with PROJ's cs2cs, whose last digits may differ
from the handler's own conversion, so those cells may differ by one centimetre step.

    raster_tools_test.py BIN_DIR SOURCE_DIR CASE
"""

import functools
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

BIN, SOURCE, CASE = sys.argv[1:4]
GRID = os.path.join(SOURCE, "data", "Marevert_Demo_Synthetic_NotForNavigation.MRGGrid")
REAL = os.path.join(SOURCE, "tests", "data", "real")  # third-party rasters, see SOURCES.md there
CM_STEP = 0.0100001  # one centimetre step, and the float rounding around it


def tool(*args, check=True):
    result = subprocess.run(args, capture_output=True, text=True)
    if check and result.returncode != 0:
        raise AssertionError("%s failed: %s" % (" ".join(args), result.stderr))
    return result


class Workspace:
    """A scratch folder holding the test rasters and a copy of marevert-cli (so that its
    application log lands there too)."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="marevert-raster-")
        self.cli = os.path.join(self.dir, "marevert-cli")
        shutil.copy(os.path.join(BIN, "marevert-cli"), self.cli)
        self.work = os.path.join(self.dir, "work")
        os.mkdir(self.work)

    def path(self, name):
        return os.path.join(self.work, name)

    def asc(self, name, xll, yll, cell, rows, nodata="-9999"):
        """An ESRI ASCII grid, rows from the north, as the source of a test raster."""
        lines = ["ncols %d" % len(rows[0]), "nrows %d" % len(rows), "xllcorner %r" % xll, "yllcorner %r" % yll,
                 "cellsize %r" % cell, "NODATA_value %s" % nodata]
        lines += [" ".join(str(v) for v in row) for row in rows]
        path = os.path.join(self.dir, name)
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
        return path

    def translate(self, source, name, *options):
        out = self.path(name)
        tool("gdal_translate", "-q", *options, source, out)
        return out

    def transform(self, files, frm="LAT", to="AHD", zone=56, depths=False, shift=None):
        """Runs the batch (a block shift instead of the references when `shift` is
        given); answers (exit status, summary printed), and keeps what it printed on
        standard error in `err`."""
        args = [self.cli, "transform", "--grid", GRID, "--zone", str(zone)]
        args += ["--block-shift", shift] if shift else ["--from", frm, "--to", to]
        if depths:
            args.append("--depths-positive")
        result = subprocess.run(args + [os.path.basename(f) for f in files], capture_output=True, text=True,
                                cwd=self.work)
        self.err = result.stderr
        return result.returncode, result.stdout

    def real(self, *names):
        """Copies of third-party rasters of tests/data/real."""
        for name in names:
            shutil.copy(os.path.join(REAL, name), self.path(name))
        return [self.path(name) for name in names]

    def app_log(self):
        with open(os.path.join(self.dir, "Application Log.txt")) as f:
            return f.read()

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


def info(path):
    return json.loads(tool("gdalinfo", "-json", path).stdout)


def cells(path, band=1):
    """Band values row by row, as GDAL reads them."""
    out = tool("gdal_translate", "-q", "-of", "XYZ", "-b", str(band), path, "/vsistdout/").stdout
    return [float(line.split()[2]) for line in out.splitlines() if line.strip()]


def centres(meta):
    """Cell centres (x, y) row by row, from the geotransform."""
    t = meta["geoTransform"]
    width, height = meta["size"]
    return [(t[0] + (c + 0.5) * t[1] + (r + 0.5) * t[2], t[3] + (c + 0.5) * t[4] + (r + 0.5) * t[5])
            for r in range(height) for c in range(width)]


def to_latlon(points, crs):
    """(latitude, longitude) of points in `crs` (PROJ's own conversion to GDA94)."""
    text = "".join("%r %r\n" % p for p in points)
    out = subprocess.run(["cs2cs", "-f", "%.17g", crs, "EPSG:4283"], input=text, capture_output=True, text=True,
                         check=True).stdout
    return [tuple(float(v) for v in line.split()[:2]) for line in out.splitlines()]


@functools.lru_cache(maxsize=None)
def point(lat, lon, value, frm, to, depths):
    """marevert-cli point's value in `to` ("%.2f" text read back), or None outside the grid."""
    args = [os.path.join(BIN, "marevert-cli"), "point", "--grid", GRID, "--lat=%r" % lat, "--lon=%r" % lon,
            "--height=%r" % value, "--from", frm]
    if depths:
        args.append("--depths-positive")
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode == 3:
        return None
    assert result.returncode == 0, result.stderr
    for line in result.stdout.splitlines():
        name, _, height = line.split("\t")
        if name.lower() == {"ellipsoid": "ellipsoid (gda94/wgs84)", "gda2020": "ellipsoid (gda2020)"}.get(to, to.lower()):
            return float(height)
    raise AssertionError("no row for " + to)


def float32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def same(a, b):
    return a == b or (math.isnan(a) and math.isnan(b))


def check_cells(source, transformed, excluded, positions, frm, to, depths=False, tolerance=0.0):
    """Every cell of both Float32 outputs against the input and marevert-cli point.
    `positions` are the cells' (latitude, longitude). Answers the (transformed,
    excluded) counts; a missing output counts as all no-data."""
    src = info(source)["bands"][0]
    nodata = float(src.get("noDataValue", float("nan")))
    if src["type"] == "Float32":
        nodata = float32(nodata)  # compared in the band's type, as GDAL does
    values = cells(source)
    outputs = [cells(p) if os.path.exists(p) else [nodata] * len(values) for p in (transformed, excluded)]
    counts = [0, 0]
    for i, (value, (lat, lon)) in enumerate(zip(values, positions)):
        new, old = outputs[0][i], outputs[1][i]
        if same(value, nodata):
            assert same(new, nodata) and same(old, nodata), (i, new, old)
            continue
        expected = point(lat, lon, value, frm, to, depths)
        if expected is None:
            assert same(new, nodata) and old == value, ("outside", i, new, old, value)
            counts[1] += 1
            continue
        wanted = float32(expected)
        assert same(old, nodata), ("inside, yet excluded", i, old)
        assert abs(new - wanted) <= tolerance or new == wanted, (i, lat, lon, value, new, wanted)
        counts[0] += 1
    return counts


def files_in(ws):
    return sorted(os.listdir(ws.work))


def snapshot(paths):
    result = {}
    for p in paths:
        with open(p, "rb") as f:
            result[p] = f.read()
    return result


def assert_unchanged(before):
    for path, data in before.items():
        with open(path, "rb") as f:
            assert f.read() == data, path + " was changed"


def crs_wkt(meta):
    return meta.get("coordinateSystem", {}).get("wkt", "")


def check_kept(source, output, vertical_name, reference):
    """Size, geotransform, horizontal CRS, types, no-data and band descriptions kept;
    the vertical reference said in the CRS (where a format keeps it) and metadata."""
    a, b = info(source), info(output)
    assert a["size"] == b["size"], (a["size"], b["size"])
    assert a["geoTransform"] == b["geoTransform"], (a["geoTransform"], b["geoTransform"])
    for band_a, band_b in zip(a["bands"], b["bands"]):
        assert band_a["type"] == band_b["type"], (band_a["type"], band_b["type"])
        assert band_a.get("description", "") == band_b.get("description", "")
        if "noDataValue" in band_a:
            assert same(float(band_a["noDataValue"]), float(band_b["noDataValue"]))
    horizontal = crs_wkt(a).split("\n")[0].split('["', 1)[-1].split('"')[0].split(" + ")[0]
    assert horizontal in crs_wkt(b), (crs_wkt(a), crs_wkt(b))
    if vertical_name:
        assert vertical_name in crs_wkt(b), crs_wkt(b)
    if reference and b["driverShortName"] != "BAG":
        assert b["metadata"][""]["VERTICAL_REFERENCE"] == reference, b["metadata"]
    return a, b


# Made-up depths (positive down) on 0.1-degree cells north of Sydney: the two
# north-western cells and one more lie on land, outside the demo grid; two hold no data.
GEO_ROWS = [[11.25, 12.5, 13.75, 15.0, 16.25],
            [12.0, 13.2, -9999, 15.6, 16.8],
            [12.75, 13.9, 15.05, 16.2, 17.35],
            [13.5, 14.6, 15.7, -9999, 18.0]]


def geographic_source(ws):
    return ws.asc("geo.asc", 151.45, -33.40, 0.1, GEO_ROWS)


def case_geographic(ws):
    """GDA94 and GDA2020 latitude/longitude; WGS84 the same way. The GDA2020 raster's
    no-data value, -9999.9, is no Float32 value: its cells hold the float nearest."""
    source = geographic_source(ws)
    odd = ws.asc("odd.asc", 151.45, -33.40, 0.1, [[-9999.9 if v == -9999 else v for v in row] for row in GEO_ROWS],
                 nodata="-9999.9")
    names = {"4283": "gda94.tif", "7844": "gda2020.tif", "4326": "wgs84.tif"}
    rasters = [ws.translate(odd if code == "7844" else source, name, "-a_srs", "EPSG:" + code, "-ot", "Float32",
                            "-co", "COMPRESS=DEFLATE") for code, name in names.items()]
    before = snapshot(rasters)
    status, out = ws.transform(rasters, "LAT", "AHD", depths=True)
    assert status == 0, out
    assert_unchanged(before)
    for raster in rasters:
        stem = raster[:-4]
        meta, _ = check_kept(raster, stem + "_AHD.tif", "AHD depth", "AHD")
        check_kept(raster, stem + "_LAT.tif", "LAT depth", "LAT")
        positions = [(y, x) for x, y in centres(meta)]
        counts = check_cells(raster, stem + "_AHD.tif", stem + "_LAT.tif", positions, "LAT", "AHD", depths=True)
        assert counts == [15, 3], counts
        assert "COMPRESSION" in str(info(stem + "_AHD.tif")["metadata"]), "compression not kept"
    assert "\tLAT\tAHD\tGDAL raster (GTiff)\t45\t" in ws.app_log(), ws.app_log()


def case_map_grid(ws):
    """MGA zone 56, and WGS84 UTM 55S where the batch says zone 56: the file's zone wins."""
    mga = ws.asc("mga.asc", 340000.0, 6310000.0, 10000.0, GEO_ROWS)
    # Bass Strait off Lakes Entrance, zone 55; the northern row lies on land.
    utm_rows = [[5.5, 6.25, 7.0, 7.75], [21.0, 22.5, -9999, 24.0], [31.25, 32.5, 33.75, 35.0]]
    utm = ws.asc("utm.asc", 570000.0, 5770000.0, 10000.0, utm_rows)
    rasters = [ws.translate(mga, "mga56.tif", "-a_srs", "EPSG:28356", "-co", "TILED=YES", "-co", "BLOCKXSIZE=16",
                            "-co", "BLOCKYSIZE=16"),
               ws.translate(utm, "utm55.tif", "-a_srs", "EPSG:32755")]
    status, out = ws.transform(rasters, "MSL", "AHD", zone=56)
    assert status == 0, out
    for raster, crs in zip(rasters, ("EPSG:28356", "EPSG:32755")):
        stem = raster[:-4]
        meta, kept = check_kept(raster, stem + "_AHD.tif", "AHD height", "AHD")
        assert [b["block"] for b in kept["bands"]] == [b["block"] for b in meta["bands"]], "tiling not kept"
        positions = to_latlon(centres(meta), crs)
        counts = check_cells(raster, stem + "_AHD.tif", stem + "_MSL.tif", positions, "MSL", "AHD",
                             tolerance=CM_STEP)
        assert counts[0] > 0 and counts[1] > 0, counts


def case_gda2020(ws):
    """GDA2020 latitude/longitude and MGA2020 zone 56, read as GDA94 ones are, carried
    from LAT to heights above the GDA2020 ellipsoid: the CRS becomes GDA2020 in three
    dimensions (EPSG:7843, an MGA2020 zone on it), and carried back the cells are the
    input's again."""
    heights = [[-v if v != -9999 else v for v in row] for row in GEO_ROWS]
    geo = ws.translate(ws.asc("geo2020.asc", 151.45, -33.40, 0.1, heights), "gda2020.tif", "-a_srs", "EPSG:7844",
                       "-ot", "Float32")
    mga = ws.translate(ws.asc("mga2020.asc", 340000.0, 6310000.0, 10000.0, heights), "mga2020.tif", "-a_srs",
                       "EPSG:7856", "-ot", "Float32")
    status, out = ws.transform([geo, mga], "LAT", "gda2020")
    assert status == 0, out
    assert "Note for file" not in out, out  # no conversion note: GDA2020 positions taken as they are
    for raster, crs in ((geo, "EPSG:7844"), (mga, "EPSG:7856")):
        stem = raster[:-4]
        output = stem + "_Ellipsoid (GDA2020).tif"
        meta, kept = check_kept(raster, output, None, "Ellipsoid (GDA2020)")
        assert "GDA2020" in crs_wkt(kept) and "ellipsoidal height" in crs_wkt(kept), crs_wkt(kept)
        three_d = tool("gdalsrsinfo", "-o", "epsg", output).stdout if crs == "EPSG:7844" else ""
        assert crs != "EPSG:7844" or "7843" in three_d, three_d
        positions = [(y, x) for x, y in centres(meta)] if crs == "EPSG:7844" else to_latlon(centres(meta), crs)
        counts = check_cells(raster, output, stem + "_LAT.tif", positions, "LAT", "gda2020",
                             tolerance=0 if crs == "EPSG:7844" else CM_STEP)
        assert counts[0] > 0 and counts[1] > 0, counts
    back = [os.path.basename(stem[:-4]) for stem in (geo, mga)]
    for name in back:
        os.rename(ws.path(name + "_Ellipsoid (GDA2020).tif"), ws.path(name + "_h2020.tif"))
    status, out = ws.transform([ws.path(name + "_h2020.tif") for name in back], "gda2020", "LAT")
    assert status == 0, out
    for name, raster in zip(back, (geo, mga)):
        again, original = cells(ws.path(name + "_h2020_LAT.tif")), cells(raster)
        inside = [(a, b) for a, b, kept in zip(again, original, cells(ws.path(name + "_h2020.tif"))) if kept != -9999]
        assert inside and all(abs(a - b) <= CM_STEP for a, b in inside), (name, inside)


def case_converted(ws):
    """Australian Albers: cell centres converted to GDA94 through PROJ."""
    source = ws.translate(geographic_source(ws), "geo_src.tif", "-a_srs", "EPSG:4283")
    albers = ws.path("albers.tif")
    tool("gdalwarp", "-q", "-t_srs", "EPSG:3577", "-tr", "9000", "9000", "-r", "near", "-dstnodata", "-9999", source,
         albers)
    os.remove(source)
    status, out = ws.transform([albers], "LAT", "MSL", depths=True)
    assert status == 0, out
    meta, _ = check_kept(albers, ws.path("albers_MSL.tif"), "MSL depth", "MSL")
    counts = check_cells(albers, ws.path("albers_MSL.tif"), ws.path("albers_LAT.tif"),
                         to_latlon(centres(meta), "EPSG:3577"), "LAT", "MSL", depths=True, tolerance=CM_STEP)
    assert counts[0] > 0 and counts[1] > 0, counts


def case_bag(ws):
    """A BAG: elevation transformed, its uncertainty band copied unchanged."""
    elevation = ws.asc("elevation.asc", 340000.0, 6310000.0, 10000.0, [[-v if v != -9999 else 1000000 for v in row]
                                                                        for row in GEO_ROWS], nodata="1000000")
    uncertainty = ws.asc("uncertainty.asc", 340000.0, 6310000.0, 10000.0,
                         [[0.25 + 0.01 * (r * 5 + c) for c in range(5)] for r in range(4)], nodata="1000000")
    stacked = os.path.join(ws.dir, "stacked.vrt")
    tool("gdalbuildvrt", "-q", "-separate", "-a_srs", "EPSG:28356", stacked, elevation, uncertainty)
    bag = ws.translate(stacked, "survey.bag", "-of", "BAG", "-ot", "Float32")
    before = snapshot([bag])
    status, out = ws.transform([bag], "LAT", "ellipsoid")
    assert status == 0, out
    assert_unchanged(before)
    assert files_in(ws) == ["Log.txt", "survey.bag", "survey_Ellipsoid (GDA94).bag", "survey_LAT.bag"], files_in(ws)
    transformed, excluded = ws.path("survey_Ellipsoid (GDA94).bag"), ws.path("survey_LAT.bag")
    meta, _ = check_kept(bag, transformed, "Ellipsoid (GDA94/WGS84) height", None)
    check_kept(bag, excluded, "LAT height", None)
    counts = check_cells(bag, transformed, excluded, to_latlon(centres(meta), "EPSG:28356"), "LAT", "ellipsoid",
                         tolerance=CM_STEP)
    assert counts[0] > 0 and counts[1] > 0, counts
    for output in (transformed, excluded):
        assert cells(output, 2) == cells(bag, 2), "uncertainty changed"


def case_netcdf(ws):
    """netCDF in GDA94 latitude/longitude."""
    nc = ws.translate(geographic_source(ws), "survey.nc", "-of", "netCDF", "-a_srs", "EPSG:4283", "-ot", "Float32")
    status, out = ws.transform([nc], "LAT", "AHD", depths=True)
    assert status == 0, out
    meta, _ = check_kept(nc, ws.path("survey_AHD.nc"), "AHD depth", None)
    assert info(ws.path("survey_AHD.nc"))["driverShortName"] == "netCDF"
    assert files_in(ws) == ["Log.txt", "survey.nc", "survey_AHD.nc", "survey_LAT.nc"], files_in(ws)
    counts = check_cells(nc, ws.path("survey_AHD.nc"), ws.path("survey_LAT.nc"), [(y, x) for x, y in centres(meta)],
                         "LAT", "AHD", depths=True)
    assert counts == [15, 3], counts


def case_block_shift(ws):
    """Block shift: every cell with a value moves, wherever it lies; the input's CRS
    stays and the metadata names the shift."""
    raster = ws.translate(geographic_source(ws), "shift.tif", "-a_srs", "EPSG:4283+5711", "-ot", "Float32")
    status, out = ws.transform([raster], shift="0.5", depths=True)
    assert status == 0, out
    shifted = ws.path("shift_Block Shift_0.50m.tif")
    assert files_in(ws) == ["Log.txt", "shift.tif", "shift_Block Shift_0.50m.tif"], files_in(ws)
    _, kept = check_kept(raster, shifted, "AHD height", "Block Shift_0.50m")
    for value, new in zip(cells(raster), cells(shifted)):
        assert new == (value if value == -9999 else float32(float("%.2f" % (float32(value) - 0.5)))), (value, new)


def case_integer(ws):
    """Int16 centimetres (scale 0.01): new values rounded into the type; one that does
    not fit is excluded, never wrapped."""
    rows = [[1125, 1250, 1375, 1500, 1625], [1200, 32760, -32768, 1560, 1680], [1275, 1390, 1505, 1620, 1735],
            [-32760, 1460, 1570, -32768, 1800]]
    source = ws.asc("cm.asc", 151.45, -33.40, 0.1, rows, nodata="-32768")
    raster = ws.translate(source, "cm.tif", "-a_srs", "EPSG:4283", "-ot", "Int16", "-a_scale", "0.01")
    status, out = ws.transform([raster], "LAT", "HAT")  # heights: HAT lies above LAT, values fall
    assert status == 0, out
    meta, kept = check_kept(raster, ws.path("cm_HAT.tif"), None, "HAT")
    assert kept["bands"][0].get("scale") == 0.01, kept["bands"][0]
    positions = [(y, x) for x, y in centres(meta)]
    values = cells(raster)
    new, old = cells(ws.path("cm_HAT.tif")), cells(ws.path("cm_LAT.tif"))
    for i, (value, (lat, lon)) in enumerate(zip(values, positions)):
        if value == -32768:
            assert new[i] == -32768 and old[i] == -32768
            continue
        expected = point(lat, lon, value * 0.01, "LAT", "HAT", False)
        stored = None if expected is None else round(expected / 0.01)
        if stored is None or not -32768 < stored <= 32767:
            assert new[i] == -32768 and old[i] == value, (i, value, new[i], old[i])
        else:
            assert new[i] == stored and old[i] == -32768, (i, value, new[i], stored)
    # -32760 (-327.60 m) falls below the type once HAT is taken off: excluded, not wrapped.
    assert old[15] == -32760 and new[15] == -32768, (old[15], new[15])


def case_no_crs(ws):
    """No CRS: the batch's rule on the cell centres (latitude/longitude, or eastings and
    northings in the batch zone), said in the log."""
    latlon = ws.translate(geographic_source(ws), "nocrs.tif")
    grid = ws.translate(ws.asc("mga.asc", 340000.0, 6310000.0, 10000.0, GEO_ROWS), "nocrs_mga.tif")
    assert "coordinateSystem" not in info(latlon) or not crs_wkt(info(latlon))
    status, out = ws.transform([latlon, grid], "LAT", "AHD", zone=56)
    assert status == 0, out
    assert out.count("No CRS in the file: positions read by the batch's rule (zone 56)") == 2, out
    meta = info(latlon)
    assert check_cells(latlon, ws.path("nocrs_AHD.tif"), ws.path("nocrs_LAT.tif"),
                       [(y, x) for x, y in centres(meta)], "LAT", "AHD") == [15, 3]
    counts = check_cells(grid, ws.path("nocrs_mga_AHD.tif"), ws.path("nocrs_mga_LAT.tif"),
                         to_latlon(centres(info(grid)), "EPSG:28356"), "LAT", "AHD", tolerance=CM_STEP)
    assert counts[0] > 0, counts
    assert info(ws.path("nocrs_AHD.tif"))["metadata"][""]["VERTICAL_REFERENCE"] == "AHD"


def case_layouts(ws):
    """One raster in many blocks and several layouts (tiles, one-row strips, netCDF
    rows, Erdas Imagine, a virtual raster written as GeoTIFF) gives the same cells; its
    north-western corner lies on land, so both outputs have windows without a cell."""
    rows = [[round(10.0 + ((r * 7 + c * 3) % 500) / 100.0, 2) for c in range(300)] for r in range(200)]
    rows[5][7] = rows[150][260] = -9999
    source = ws.asc("big.asc", 151.45, -33.28, 0.001, rows)
    options = ("-a_srs", "EPSG:4283", "-ot", "Float32")
    rasters = [ws.translate(source, "tiles.tif", *options, "-co", "TILED=YES", "-co", "BLOCKXSIZE=16", "-co",
                            "BLOCKYSIZE=16", "-co", "COMPRESS=DEFLATE"),
               ws.translate(source, "strips.tif", *options, "-co", "BLOCKYSIZE=1"),
               ws.translate(source, "rows.nc", "-of", "netCDF", *options),
               ws.translate(source, "imagine.img", "-of", "HFA", *options)]
    rasters.append(ws.translate(rasters[0], "virtual.vrt", "-of", "VRT"))
    status, out = ws.transform(rasters, "LAT", "AHD")
    assert status == 0, out
    assert "Note for file: %s\nGDAL cannot create VRT files: outputs written as GeoTIFF" % rasters[-1] in out, out
    for ref in ("AHD", "LAT"):
        outputs = ["tiles_%s.tif", "strips_%s.tif", "rows_%s.nc", "imagine_%s.img", "virtual_%s.tif"]
        first = cells(ws.path(outputs[0] % ref))
        for name in outputs[1:]:
            assert cells(ws.path(name % ref)) == first, name % ref
    excluded = cells(ws.path("tiles_LAT.tif"))
    assert 0 < sum(1 for v in excluded if v != -9999) < len(excluded) // 2, "no cell, or most cells, outside"
    reference = cells(ws.path("tiles_AHD.tif"))
    # A few cells against marevert-cli point.
    meta = info(rasters[0])
    for i in (0, 299, 1508, 30000, 59999):
        x, y = centres(meta)[i]
        value = rows[i // 300][i % 300]
        expected = point(y, x, value, "LAT", "AHD", False)
        if expected is None:
            assert reference[i] == -9999 and excluded[i] == float32(value), i
        else:
            assert reference[i] == float32(expected) and excluded[i] == -9999, i
    assert reference[5 * 300 + 7] == -9999 and reference[150 * 300 + 260] == -9999


def case_bad_input(ws):
    """A truncated GeoTIFF, rasters without cells, a complex band: a clear result, the
    input unchanged, nothing left behind."""
    big = ws.asc("big.asc", 151.45, -33.40, 0.004, [[10.0 + 0.01 * ((r * 7 + c * 3) % 97) for c in range(128)]
                                                     for r in range(128)])
    whole = ws.translate(big, "whole.tif", "-a_srs", "EPSG:4283", "-co", "TILED=YES", "-co", "COMPRESS=DEFLATE",
                         "-co", "BLOCKXSIZE=32", "-co", "BLOCKYSIZE=32")
    with open(whole, "rb") as f:
        data = f.read()
    os.remove(whole)
    cut = ws.path("cut.tif")
    with open(cut, "wb") as f:
        f.write(data[:len(data) * 2 // 3])  # the header and the first tiles, the rest cut off
    empty = ws.path("empty.tif")
    open(empty, "wb").close()
    zero = ws.path("zero.vrt")
    with open(zero, "w") as f:
        f.write('<VRTDataset rasterXSize="0" rasterYSize="0">\n'
                '  <VRTRasterBand dataType="Float32" band="1"/>\n</VRTDataset>\n')
    complex_band = ws.path("complex.tif")
    tool("gdal_create", "-q", "-of", "GTiff", "-outsize", "3", "2", "-ot", "CFloat32", "-burn", "1", "-a_srs",
         "EPSG:4283", "-a_ullr", "151.5", "-33.2", "151.8", "-33.4", complex_band)
    inputs = [cut, empty, zero, complex_band]
    before = snapshot(inputs)
    status, out = ws.transform(inputs)
    assert status == 1, out
    assert_unchanged(before)
    assert files_in(ws) == sorted(["Log.txt"] + [os.path.basename(p) for p in inputs]), files_in(ws)
    expect = [
        ("cut.tif", "File input/output processing exception", "GDAL: "),
        ("empty.tif", "Cannot recognise the file format", None),
        ("zero.vrt", "Input file error: cannot open file, or file format error", "GDAL: "),
        ("complex.tif", "Input file error: cannot open file, or file format error",
         "Band 1 holds values of type CFloat32, which cannot be transformed"),
    ]
    for name, message, note in expect:
        block = out.split("Error with file: " + ws.path(name) + "\n", 1)[1].split("\n\n")[0]
        assert block.startswith(message), (name, block)
        if note:
            assert note in block, (name, block)
    with open(ws.path("Log.txt")) as f:
        assert "TIFFReadEncodedTile" in f.read(), "GDAL's own text belongs in the batch log"


def case_survey_formats(ws):
    """ESRI ASCII grids and xyz files stay with the survey handlers although GDAL reads
    them; an xyz file with a header line, which GDAL's XYZ driver would take, is refused."""
    asc = ws.path("grid.asc")
    shutil.copy(geographic_source(ws), asc)
    header = ws.path("header.xyz")
    with open(header, "w") as f:
        f.write("x y z\n151.7 -33.2 12.5\n151.8 -33.2 13.5\n")
    status, out = ws.transform([asc, header])
    assert status == 1, out
    assert "Error with file: %s\nCannot recognise the file format" % header in out, out
    assert "\tLAT\tAHD\tESRI ASCII Grid\t" in ws.app_log(), ws.app_log()
    assert os.path.exists(ws.path("grid_AHD.asc"))


def case_samples(ws):
    """The sample rasters of data/samples, as make demo transforms them."""
    samples = []
    for name in ("sample_depths.tif", "sample_survey.bag"):
        samples.append(ws.path(name))
        shutil.copy(os.path.join(SOURCE, "data", "samples", name), samples[-1])
    status, out = ws.transform(samples[:1], "LAT", "AHD", depths=True)
    assert status == 0, out
    status, out = ws.transform(samples[1:], "LAT", "AHD")
    assert status == 0, out
    for stem, ext in (("sample_depths", ".tif"), ("sample_survey", ".bag")):
        for ref in ("AHD", "LAT"):  # each sample has cells outside the grid
            assert os.path.exists(ws.path(stem + "_" + ref + ext)), stem + ref
    log = ws.app_log()
    assert "\tLAT\tAHD\tGDAL raster (GTiff)\t" in log and "\tLAT\tAHD\tGDAL raster (BAG)\t" in log, log
    assert cells(ws.path("sample_survey_AHD.bag"), 2) == cells(samples[1], 2)


def case_real_grid(ws):
    """Rasters that others wrote (tests/data/real). A BAG without a CRS, which GDAL's BAG
    writer would write without any georeferencing, and one of three bands become
    GeoTIFFs that say why and keep the georeferencing and cells; a netCDF-4 file keeps
    its format; a raster without a value says so; a cut BAG fails. GDAL's and HDF5's
    messages reach the notes, never standard error."""
    inputs = ws.real("nominal_only.bag", "sample-1.5.0.bag", "nonstandard_dim.nc", "all-nodata.tif")
    with open(os.path.join(REAL, "test_vr.bag"), "rb") as f:
        data = f.read()
    cut = ws.path("cut.bag")
    with open(cut, "wb") as f:
        f.write(data[:len(data) // 2])
    before = snapshot(inputs)
    status, out = ws.transform(inputs + [cut], "LAT", "AHD", zone=56)
    assert status == 1, out
    assert ws.err == "", ws.err
    assert_unchanged(before)
    expect = [
        ("nominal_only.bag", "Note for file", "No CRS in the file: positions read by the batch's rule (zone 56)\n"
                                     "The input has no CRS, which a BAG must carry: outputs written as GeoTIFF\n"),
        ("sample-1.5.0.bag", "Note for file", "BAG holds one or two bands, the input has 3: outputs written as GeoTIFF\n"),
        ("all-nodata.tif", "Note for file", "No cell of band 1 holds a value: nothing was transformed, and no output is left\n"),
        ("cut.bag", "Error with file", "Input file error: cannot open file, or file format error\nGDAL: "),
    ]
    for name, heading, text in expect:
        assert "%s: %s\n%s" % (heading, ws.path(name), text) in out, (name, out)
    outputs = ["nominal_only_LAT.tif", "sample-1.5.0_LAT.tif", "nonstandard_dim_LAT.nc"]
    assert files_in(ws) == sorted([os.path.basename(p) for p in inputs] + ["cut.bag", "Log.txt"] + outputs), files_in(ws)
    # Every cell lies outside the demo grid: the excluded rasters hold the inputs' bands.
    for source, output, reference in zip(inputs, outputs, ("LAT", "LAT", None)):
        _, kept = check_kept(source, ws.path(output), None, reference)
        for band in range(1, len(kept["bands"]) + 1):
            new, old = cells(ws.path(output), band), cells(source, band)
            assert len(new) == len(old) and all(same(a, b) for a, b in zip(new, old)), (output, band)
    assert not crs_wkt(info(ws.path("nominal_only_LAT.tif")))


def case_real_block_shift(ws):
    """A block shift keeps each real raster's CRS exactly (a BAG's vertical CRS too, where
    GDAL's BAG writer would name an "unknown" one) and reads no position, so a raster
    without a CRS gets no word of it."""
    inputs = ws.real("test_vr.bag", "ak-compdcs.tif", "nonstandard_dim.nc", "nominal_only.bag")
    status, out = ws.transform(inputs, shift="0.5")
    assert status == 0, out
    assert ws.err == "", ws.err
    assert "No CRS in the file" not in out, out
    for source, extension in zip(inputs, (".bag", ".tif", ".nc", ".tif")):
        output = os.path.splitext(source)[0] + "_Block Shift_0.50m" + extension
        # The CRS as GDAL gives it in WKT 1 (its WKT 2 spells the BAG's axes two ways).
        a, b = (tool("gdalsrsinfo", "-o", "wkt1", path, check=False).stdout for path in (source, output))
        assert a == b, (output, a, b)
        assert info(output)["geoTransform"] == info(source)["geoTransform"], output


CASES = {name[5:]: f for name, f in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    workspace = Workspace()
    try:
        CASES[CASE](workspace)
    finally:
        workspace.remove()
    print("ok")
