# Depths and survey files carried from LAT to AHD on the demo grid with the module
# marevert. From the repository root, after `make build`:
#   PYTHONPATH=build/python /usr/bin/python3 examples/python/example.py
import shutil

import numpy as np
import marevert

grid = marevert.Grid("build/bin/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid")
print(grid.details[1], grid.extent)
print(marevert.references())

# Depths below LAT at three positions carried to AHD; NaN and inside False where the grid
# does not answer. Positions go longitude first (x, y). The values are not rounded (files
# get two decimals).
lon = np.array([151.35, 151.79, 100.0])
lat = np.array([-33.85, -33.26, -33.0])
depth = np.array([12.0, 7.5, 3.0])
ahd, inside = marevert.transform(grid, lon, lat, depth, "LAT", "AHD", depths_positive=True)
print(ahd.round(2), inside)

# Eastings and northings in MGA zone 56; plain numbers give plain numbers.
msl, ok = marevert.transform(grid, 387614.92, 6319755.58, 8.0, "LAT", "MSL", zone=56, depths_positive=True)
print(round(msl, 2), ok)

# What carrying from LAT to AHD adds, and whether the grid answers.
print(grid.separation(lon, lat, "LAT", "AHD").round(2), grid.inside(lon=lon, lat=lat))

# A batch of survey files, as marevert-cli transform runs it, on copies of two samples
# (the outputs go beside them). Ctrl-C cancels it as the Cancel button does, then raises
# KeyboardInterrupt; progress is the batch's percentage.
folder = shutil.copytree("build/bin/samples", "python-example", dirs_exist_ok=True)
result = marevert.transform_files([f"{folder}/sample_latlon.xyz", f"{folder}/sample_v14.las"], grid, "LAT", "AHD",
                                  zone=56, depths_positive=True, progress=lambda percent: print(f"{percent}%"))
print("\n".join(result.summary))
print([(f.format, f.ok, f.transformed, f.outside) for f in result.files])
