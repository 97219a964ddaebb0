"""The GDA2020 ellipsoid against PROJ: the height change of GDA94 to GDA2020 (EPSG:8048)
that Marevert computes itself, compared with PROJ's full transformation at 10,000
positions of the demo grid."""

import pathlib
import struct

import numpy as np
import pytest

import marevert

pyproj = pytest.importorskip("pyproj")


def inside_positions(grid, count, seed=2020):
    """`count` random positions inside the grid (longitudes, latitudes)."""
    extent = grid.extent
    random = np.random.default_rng(seed)
    lons, lats = [], []
    while sum(len(lon) for lon in lons) < count:
        lon = random.uniform(extent.min_lon, extent.max_lon, 20000)
        lat = random.uniform(extent.min_lat, extent.max_lat, 20000)
        keep = grid.inside(lon, lat)
        lons.append(lon[keep])
        lats.append(lat[keep])
    return np.concatenate(lons)[:count], np.concatenate(lats)[:count]


def test_gda2020_ellipsoidal_heights_agree_with_proj_within_a_tenth_of_a_millimetre(grid):
    lon, lat = inside_positions(grid, 10000)
    # A height above the GDA94 ellipsoid carried to the GDA2020 one: h2020 - h94.
    ours = grid.separation(lon, lat, "ellipsoid", "gda2020")
    to_gda2020 = pyproj.Transformer.from_crs("EPSG:4939", "EPSG:7843", always_xy=True)
    assert "GDA94 to GDA2020 (1)" in to_gda2020.description
    _, _, theirs = to_gda2020.transform(lon, lat, np.zeros_like(lon))
    worst = np.max(np.abs(ours - theirs))
    print(f"GDA94 to GDA2020 height change, worst difference from PROJ at {len(lon)} positions: {worst * 1000:.6f} mm")
    assert -0.12 < np.min(ours) and np.max(ours) < -0.06
    assert worst < 1e-4

    # Depths turn the sign; the other way round is the same change undone.
    depths = grid.separation(lon, lat, "ellipsoid", "gda2020", depths_positive=True)
    back = grid.separation(lon, lat, "Ellipsoid (GDA2020)", "Ellipsoid (GDA94/WGS84)")
    np.testing.assert_array_equal(depths, -ours)
    np.testing.assert_array_equal(back, -ours)


def with_gda2020_geokeys(path):
    """The LAS file at `path` with a GeoKey directory naming GDA2020 latitude/longitude
    (EPSG:7844) as its one variable-length record; answers the record's bytes."""
    data = bytearray(path.read_bytes())
    header_size, offset = struct.unpack_from("<HI", data, 94)
    assert offset == header_size and struct.unpack_from("<I", data, 100)[0] == 0
    keys = struct.pack("<12H", 1, 1, 0, 2, 1024, 0, 1, 2, 2048, 0, 1, 7844)
    vlr = struct.pack("<H16sHH32s", 0, b"LASF_Projection", 34735, len(keys), b"") + keys
    struct.pack_into("<II", data, 96, offset + len(vlr), 1)
    path.write_bytes(bytes(data[:offset]) + vlr + bytes(data[offset:]))
    return vlr


def las_records(path):
    data = path.read_bytes()
    offset, = struct.unpack_from("<I", data, 96)
    length, count = struct.unpack_from("<HI", data, 105)
    if data[25] >= 4:
        count, = struct.unpack_from("<Q", data, 247)
    return data, [data[offset + i * length:offset + (i + 1) * length] for i in range(count)]


def test_every_survey_handler_carries_gda94_heights_to_gda2020_and_back(samples, grid):
    vlr = with_gda2020_geokeys(samples / "sample_v12.las")
    names = ["sample_latlon.xyz", "sample_mga56.xyz", "sample_grid.asc", "sample_soundings.htf", "sample_v12.las",
             "sample_v14.las"]
    there = marevert.transform_files([samples / n for n in names], grid, "ellipsoid", "gda2020", zone=56)
    assert there.files_ok == len(names), there.summary
    # The text file's heights changed by the difference at each position, to the centimetre.
    source = np.loadtxt(samples / "sample_latlon.xyz")
    moved = np.loadtxt(samples / "sample_latlon_Ellipsoid (GDA2020).xyz")
    keep = grid.inside(source[:, 0], source[:, 1])
    change = grid.separation(source[keep, 0], source[keep, 1], "ellipsoid", "gda2020")
    np.testing.assert_allclose(moved[:, 2], np.round(source[keep, 2] + change, 2), atol=1e-9)

    # Carried back, every value inside is the input's again.
    stems = [pathlib.Path(n).stem for n in names]
    for name, stem in zip(names, stems):
        suffix = pathlib.Path(name).suffix
        (samples / f"{stem}_Ellipsoid (GDA2020){suffix}").rename(samples / f"{stem}_h{suffix}")
    back = marevert.transform_files([samples / f"{s}_h{pathlib.Path(n).suffix}" for s, n in zip(stems, names)], grid,
                                    "Ellipsoid (GDA2020)", "ELLIPSOID", zone=56)
    assert back.files_ok == len(names) and all(f.outside == 0 for f in back.files), back.summary
    for name, stem in zip(names, stems):
        suffix = pathlib.Path(name).suffix
        result = samples / f"{stem}_h_Ellipsoid (GDA94){suffix}"
        if suffix == ".las":
            data, records = las_records(result)
            _, original = las_records(samples / name)
            assert records and all(r in original for r in records), name
            if name == "sample_v12.las":
                assert vlr in data[:struct.unpack_from("<I", data, 96)[0]], "CRS record not kept"
        elif suffix == ".asc":
            for got, was in zip(result.read_text().splitlines()[6:], (samples / name).read_text().splitlines()[6:]):
                assert all(a in (b, "-9999") for a, b in zip(got.split(), was.split())), (got, was)
        else:
            lines = set((samples / name).read_text().splitlines())
            data = [line for line in result.read_text().splitlines() if not line.startswith("TOTAL")]
            assert len(data) > 5 and all(line in lines for line in data), name
