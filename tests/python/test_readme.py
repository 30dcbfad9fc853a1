"""The examples of the README's "Scripting in Python" section run as they stand."""

import os
import re


def test_readme_examples_run():
    with open(os.environ["KESTRAV_README"]) as f:
        text = f.read()
    section = text.split("## Scripting in Python", 1)[1].split("\n## ", 1)[0]
    blocks = re.findall(r"```python\n(.*?)```", section, re.S)
    assert len(blocks) == 2
    for block in blocks:
        exec(compile(block, "README.md", "exec"), {})
