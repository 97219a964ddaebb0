"""The README shows the examples the tests run (readme_python_example and
readme_install_example run its blocks as written)."""

import re

from conftest import SOURCE_DIR


def readme_block(section, language):
    text = (SOURCE_DIR / "README.md").read_text()
    body = text.split(f"## {section}\n", 1)[1].split("\n## ", 1)[0]
    return re.search(f"```{language}\n(.*?)```", body, re.S).group(1)


def test_the_examples_shown_are_the_files_that_run():
    assert readme_block("Use from Python", "python") == (SOURCE_DIR / "examples/python/example.py").read_text()
    assert readme_block("Use from C++", "cpp") == (SOURCE_DIR / "examples/consumer/main.cpp").read_text()
