"""The README's examples run as they stand."""

import re
import shutil
import subprocess
import sys

from conftest import BIN_DIR, DEMO_GRID, SOURCE_DIR


def readme_block(section, language):
    text = (SOURCE_DIR / "README.md").read_text()
    body = text.split(f"## {section}\n", 1)[1].split("\n## ", 1)[0]
    return re.search(f"```{language}\n(.*?)```", body, re.S).group(1)


def test_the_python_example_runs(tmp_path):
    shutil.copy(DEMO_GRID, tmp_path)
    shutil.copytree(BIN_DIR / "samples", tmp_path / "samples")
    run = subprocess.run([sys.executable, "-c", readme_block("Use from Python", "python")], cwd=tmp_path,
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert "Files OK: 2, files with errors: 0" in run.stdout
    assert (tmp_path / "samples" / "sample_latlon_AHD.xyz").exists()


def test_the_cpp_example_is_the_consumer_the_tests_build():
    assert readme_block("Use from C++", "cpp") == (SOURCE_DIR / "examples/consumer/main.cpp").read_text()
