import os
import subprocess

import pytest

BUILD = os.environ.get("KESTRAV_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))


@pytest.fixture
def sim_pty():
    """kestrav-sim serving two boards on a pseudo-terminal; its path."""
    proc = subprocess.Popen(
        [os.path.join(BUILD, "kestrav-sim"), "--boards", "2", "--seed", "3"],
        stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL,
        text=True,
    )
    try:
        path = proc.stdout.readline().strip()
        assert path.startswith("/dev/"), path
        yield path
    finally:
        proc.terminate()
        proc.wait(timeout=10)
