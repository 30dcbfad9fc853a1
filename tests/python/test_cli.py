"""python3 -m kestrav: JSON on stdout, status 2 with a usage line, 1 for a refused bridge."""

import json
import subprocess
import sys


def run(*args):
    return subprocess.run([sys.executable, "-m", "kestrav", *args], capture_output=True, text=True, timeout=120)


def test_snapshot_prints_one_pass_as_json():
    r = run("snapshot", "sim:3?seed=2", "--boards", "2")
    assert r.returncode == 0, r.stderr
    snap = json.loads(r.stdout)
    assert [b["board"] for b in snap["boards"]] == [1, 2]
    first = snap["boards"][0]
    assert len(first["cells"]["volts"]) == 12 and first["cells"]["pec"]["ok"] is True
    assert first["flags"]["uv"] == [] and first["address"] == 0x81
    assert first["statuses"][0] == "OK"


def test_identify_prints_the_bridges_answer():
    r = run("identify", "sim:1")
    assert r.returncode == 0 and r.stdout.startswith("KESTRAV-2")


def test_bad_arguments_and_a_refused_bridge():
    for args in ([], ["snapshot"], ["frobnicate", "sim:1"], ["snapshot", "sim:1", "--boards", "11"],
                 ["snapshot", "nowhere"]):
        r = run(*args)
        assert r.returncode == 2, args
        assert r.stderr.startswith("usage:"), args
    r = run("identify", "tty:/nonexistent/tty")
    assert r.returncode == 1 and "instead of 'KESTRAV-2'" in r.stderr
