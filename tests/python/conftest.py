"""Shared fixtures of the module's tests: the built programs and data, found through
the environment CTest gives (MAREVERT_BIN_DIR, MAREVERT_SOURCE_DIR)."""

import os
import pathlib
import shutil

import pytest

BIN_DIR = pathlib.Path(os.environ["MAREVERT_BIN_DIR"])
SOURCE_DIR = pathlib.Path(os.environ["MAREVERT_SOURCE_DIR"])
CLI = BIN_DIR / "marevert-cli"
DEMO_GRID = BIN_DIR / "Marevert_Demo_Synthetic_NotForNavigation.MRGGrid"


@pytest.fixture(scope="session")
def grid():
    import marevert

    return marevert.Grid(DEMO_GRID)


@pytest.fixture
def samples(tmp_path):
    """A scratch copy of the sample survey files (one per format)."""
    folder = tmp_path / "samples"
    shutil.copytree(BIN_DIR / "samples", folder)
    return folder
