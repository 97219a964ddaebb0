"""The module against marevert-cli: the same numbers, the same files."""

import datetime
import json
import signal
import subprocess
import sys
import threading

import numpy as np
import pytest

import marevert
from conftest import CLI, DEMO_GRID

# Positions inside the demo grid, near its edge, and outside it (longitude, latitude).
POSITIONS = [(151.35, -33.85), (151.79, -33.26), (153.0, -27.5), (115.75, -32.05), (146.9, -19.25),
             (151.3512345, -33.8598765), (120.0, -20.0), (100.0, -33.0), (151.2, -50.0)]


def cm(value):
    """A value as the command line's JSON gives it: its "%.2f" text read back."""
    return float(f"{value:.2f}")


def cli_point(lon, lat, height, source, depths_positive):
    """The rows of `marevert-cli point --json` by reference name, or None outside."""
    args = [CLI, "point", "--grid", DEMO_GRID, "--lat", repr(lat), "--lon", repr(lon), "--height", repr(height),
            "--from", source, "--json"] + (["--depths-positive"] if depths_positive else [])
    out = json.loads(subprocess.run(args, capture_output=True, text=True).stdout)
    return {row["reference"]: row for row in out["rows"]} if out["inside"] else None


@pytest.mark.parametrize("depths_positive", [False, True])
def test_values_equal_the_command_line_exactly(grid, depths_positive):
    lon = np.array([p[0] for p in POSITIONS])
    lat = np.array([p[1] for p in POSITIONS])
    z = np.linspace(-12.5, 30.25, len(POSITIONS))
    ellipsoid = "Ellipsoid (GDA94/WGS84)"
    from_lat = grid.separation(lon, lat, "LAT", ellipsoid, depths_positive=depths_positive)
    for to in ["AHD", "HAT", ellipsoid]:
        out, inside = marevert.transform(grid, lon, lat, z, "LAT", to, depths_positive=depths_positive)
        separation = grid.separation(lon, lat, "LAT", to, depths_positive=depths_positive)
        from_to = grid.separation(lon, lat, to, ellipsoid, depths_positive=depths_positive)
        for i in range(len(POSITIONS)):
            rows = cli_point(lon[i], lat[i], z[i], "LAT", depths_positive)
            assert inside[i] == (rows is not None)
            if rows is None:
                assert np.isnan(out[i]) and np.isnan(separation[i])
            else:
                # The command line prints centimetres of the same unrounded values.
                assert cm(out[i]) == rows[to]["height"]
                assert cm(from_lat[i]) == rows["LAT"]["separation"] and cm(from_to[i]) == rows[to]["separation"]
                assert separation[i] == from_lat[i] - from_to[i]
    assert list(grid.inside(lon, lat)) == list(inside)
    # The degrees by name, in either order, give the same.
    assert np.array_equal(marevert.transform(grid, lat=lat, lon=lon, z=z, from_="LAT", to="AHD")[0],
                          marevert.transform(grid, lon, lat, z, "LAT", "AHD")[0], equal_nan=True)
    assert np.array_equal(grid.separation(lat=lat, lon=lon, from_="LAT", to="AHD"),
                          grid.separation(lon, lat, "LAT", "AHD"), equal_nan=True)


def read_values(path):
    return [float(line.split(",")[2]) for line in open(path)]


def test_map_grid_positions_equal_the_command_line(samples, grid):
    # The records the command line transforms, written with two decimals.
    source = samples / "sample_mga56.xyz"
    subprocess.run([CLI, "transform", "--grid", DEMO_GRID, "--from", "LAT", "--to", "MSL", "--zone", "56",
                    "--depths-positive", source], check=True, capture_output=True)
    rows = np.loadtxt(source, delimiter=",")
    out, inside = marevert.transform(grid, rows[:, 0], rows[:, 1], rows[:, 2], "lat", "msl", zone=56,
                                     depths_positive=True)
    assert [f"{v:.2f}" for v in out[inside]] == [f"{v:.2f}" for v in read_values(samples / "sample_mga56_MSL.xyz")]
    assert (~inside).sum() == len(open(samples / "sample_mga56_LAT.xyz").readlines())
    # Without the zone, northings are no latitudes.
    with pytest.raises(ValueError, match="eastings and northings need zone="):
        marevert.transform(grid, rows[:, 0], rows[:, 1], rows[:, 2], "LAT", "MSL")


def bag_content(path):
    """What a BAG holds, as GDAL reads it: HDF5 keeps the time of writing, and so does the
    BAG's own BAG_DATETIME."""
    info = json.loads(subprocess.run(["gdalinfo", "-json", "-checksum", str(path)], capture_output=True,
                                     text=True, check=True).stdout)
    for key in ("description", "files"):
        info.pop(key, None)
    info.get("metadata", {}).get("", {}).pop("BAG_DATETIME", None)
    return json.dumps(info, sort_keys=True).encode()


def outputs(folder):
    """Every file of a folder but the inputs, Log.txt without its date line, BAGs by content."""
    files = {}
    for path in sorted(folder.iterdir()):
        data = path.read_bytes()
        if path.name == "Log.txt":
            data = b"\n".join(line for line in data.split(b"\n") if not line.startswith(b"Generated:"))
            data = data.replace(bytes(folder), b"FOLDER")
        elif path.suffix == ".bag":
            data = bag_content(path)
        files[path.name] = data
    return files


@pytest.mark.parametrize("options", [["--from", "LAT", "--to", "AHD", "--zone", "56", "--depths-positive"],
                                     ["--from", "ellipsoid", "--to", "MSL", "--zone", "55"],
                                     ["--block-shift", "-1.25", "--depths-positive"]])
def test_transform_files_writes_the_command_lines_bytes(tmp_path, samples, grid, options):
    names = sorted(p.name for p in samples.iterdir())
    cli_folder = tmp_path / "cli"
    samples.rename(cli_folder)
    module_folder = tmp_path / "module"
    module_folder.mkdir()
    for name in names:
        (module_folder / name).write_bytes((cli_folder / name).read_bytes())
    run = subprocess.run([CLI, "transform", "--grid", DEMO_GRID] + options + names, cwd=cli_folder,
                         capture_output=True, text=True)

    arguments = dict(zip(options[::2], options[1::2]))
    percents = []
    result = marevert.transform_files(
        [module_folder / name for name in names], grid, arguments.get("--from"), arguments.get("--to"),
        zone=int(arguments.get("--zone", 56)), depths_positive="--depths-positive" in options,
        block_shift=float(arguments["--block-shift"]) if "--block-shift" in arguments else None,
        progress=percents.append)

    assert outputs(module_folder) == outputs(cli_folder)
    assert "\n".join(result.summary).replace(str(module_folder), "F") == \
        run.stdout.rstrip("\n").replace(str(cli_folder), "F")
    assert result.log_path == str(module_folder / "Log.txt")
    assert result.files_with_errors == (run.returncode != 0) * result.files_with_errors
    assert [r.path for r in result.files] == [str(module_folder / name) for name in names]
    assert sum(r.transformed for r in result.files) > 0
    assert any(r.outside for r in result.files) == ("--block-shift" not in arguments)
    # The batch's percentage: rising from 0 to 100, through every file's start and end.
    assert percents[0] == 0 and percents[-1] == 100 and percents == sorted(set(percents))
    assert {k * 100 // len(names) for k in range(len(names) + 1)} <= set(percents)


def test_ctrl_c_cancels_the_batch_as_the_cancel_button_does(tmp_path, grid):
    survey = tmp_path / "long.xyz"
    lon = np.random.default_rng(1).uniform(150.5, 152.5, 200_000)
    np.savetxt(survey, np.column_stack([lon, np.full_like(lon, -33.5), np.full_like(lon, 5.0)]), fmt="%.6f,%.6f,%.2f")

    def interrupt(percent):
        signal.raise_signal(signal.SIGINT)

    with pytest.raises(KeyboardInterrupt):
        marevert.transform_files([survey], grid, "LAT", "AHD", progress=interrupt)
    log = (tmp_path / "Log.txt").read_text()
    assert "Processing cancelled by user" in log
    assert "WARNING processing interrupted, not all files processed" in log


def test_errors_raise_with_the_programs_messages(tmp_path, grid):
    with pytest.raises(marevert.Error, match="Cannot open grid file:\n.*missing.MRGGrid"):
        marevert.Grid(tmp_path / "missing.MRGGrid")
    (tmp_path / "bad.MRGGrid").write_bytes(b"MRG\x01\x00\x00\x00" + bytes(20))
    with pytest.raises(marevert.Error, match="Failed to load grid file:"):
        marevert.Grid(tmp_path / "bad.MRGGrid")
    with pytest.raises(marevert.Error, match="Unknown vertical reference: XYZ"):
        marevert.transform(grid, [151.0], [-33.0], [0.0], "XYZ", "AHD")
    with pytest.raises(marevert.Error, match="must be different"):
        marevert.transform_files([tmp_path / "a.xyz"], grid, "LAT", "lat")
    with pytest.raises(marevert.Error, match="zone"):
        marevert.transform(grid, [0.0], [0.0], [0.0], "LAT", "AHD", zone=48)
    with pytest.raises(ValueError, match="same shape"):
        marevert.transform(grid, [151.0, 151.1], [-33.0], [0.0], "LAT", "AHD")
    # Latitude first, as the grid's methods once took it, is refused rather than read as
    # outside the grid; map-grid northings are no latitudes.
    with pytest.raises(ValueError, match="latitude 151.35 is beyond ±90 degrees: positions go longitude first"):
        grid.separation(-33.85, 151.35, "LAT", "AHD")
    with pytest.raises(ValueError, match="longitude first"):
        grid.inside([-33.85, -33.0], [151.35, 151.0])
    with pytest.raises(ValueError, match="longitude first"):
        marevert.transform(grid, -33.85, 151.35, 0.0, "LAT", "AHD")
    with pytest.raises(TypeError):
        marevert.transform(grid, lon=387614.92, lat=6319755.58, z=0.0, from_="LAT", to="AHD", zone=56)
    with pytest.raises(marevert.Error, match="There are < 4 valid data points"):
        (tmp_path / "empty.txt").write_text("no data\n")
        marevert.build_grid(tmp_path / "empty.txt", tmp_path / "empty.MRGGrid")
    with pytest.raises(marevert.Error, match=r"^Enter an integer between 1970 and 3000\.$"):
        marevert.build_grid(tmp_path / "empty.txt", tmp_path / "old.MRGGrid", date=datetime.date(1969, 12, 31))
    with pytest.raises(marevert.Error, match=r"^Enter a number between 1e-07 and 10000000\.$"):
        marevert.build_grid(tmp_path / "empty.txt", tmp_path / "fine.MRGGrid", grid_size=0)


def test_a_million_points_without_a_python_call_per_point(grid):
    rng = np.random.default_rng(2)
    n = 1_000_000
    lon, lat, z = rng.uniform(140, 154, n), rng.uniform(-40, -10, n), rng.uniform(-50, 50, n)
    calls = []
    sys.setprofile(lambda frame, event, arg: calls.append(event))
    try:
        out, inside = marevert.transform(grid, lon, lat, z, "LAT", "AHD")
    finally:
        sys.setprofile(None)
    assert len(calls) < 10
    assert out.shape == (n,) and inside.sum() > n // 100
    # The same numbers as a handful transformed alone.
    for i in rng.integers(0, n, 20):
        one, ok = marevert.transform(grid, lon[i], lat[i], z[i], "LAT", "AHD")
        assert ok == inside[i] and (one == out[i] or (np.isnan(one) and np.isnan(out[i])))


def test_two_grids_two_threads_two_signs_do_not_interfere(tmp_path, grid):
    # A second grid with other coding values than the demo grid's.
    lines = [f"{-34 + r / 60:.10f} {151 + c / 60:.10f} " + " ".join(f"{-80 + 0.3 * k + 0.01 * (r + c):.3f}"
                                                                  for k in range(14))
             for r in range(10) for c in range(10)]
    (tmp_path / "second.txt").write_text("\n".join(lines) + "\n")
    summary = marevert.build_grid(tmp_path / "second.txt", tmp_path / "second.MRGGrid")
    assert "Points used: 100" in summary
    second = marevert.Grid(tmp_path / "second.MRGGrid")

    rng = np.random.default_rng(3)
    lon, lat, z = rng.uniform(151, 151.15, 200_000), rng.uniform(-34, -33.85, 200_000), rng.uniform(-9, 9, 200_000)
    cases = [(grid, False), (second, True), (grid, True), (second, False)]
    expected = [marevert.transform(g, lon, lat, z, "LAT", "MHW", depths_positive=d) for g, d in cases]
    got = [None] * len(cases)

    def work(i):
        for _ in range(5):
            got[i] = marevert.transform(cases[i][0], lon, lat, z, "LAT", "MHW", depths_positive=cases[i][1])

    threads = [threading.Thread(target=work, args=(i,)) for i in range(len(cases))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for (e_out, e_in), (g_out, g_in) in zip(expected, got):
        assert np.array_equal(e_in, g_in) and np.array_equal(e_out, g_out, equal_nan=True)
    assert not np.array_equal(expected[0][0], expected[1][0], equal_nan=True)
