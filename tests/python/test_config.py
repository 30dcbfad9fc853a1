"""Stack configuration files from Python: load_config, save_config and the
config dict, and the same bridge strings as kestrav-log for the same file."""

import json
import os
import subprocess

import pytest

import kestrav

from conftest import BUILD

EXAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "stack-config.json")


def example():
    with open(EXAMPLE) as f:
        return json.load(f)


def test_load_config_puts_the_file_into_the_stack():
    with kestrav.open("sim:3") as stack:
        stack.load_config(EXAMPLE)
        assert stack.config == example()
        assert stack.boards == 3
        b = stack.board(2)
        assert b.discharge == {3} and b.mask == {11, 12}
        assert (b.vuv, b.vov) == pytest.approx((3.096, 4.2))
        assert stack.board(3).address == 0x8F
        assert stack.broadcasts == {"STCVAD", "STTMPAD"}


def test_save_config_writes_what_opens_again(tmp_path):
    with kestrav.open("sim:2") as stack:
        stack.boards = 2
        stack.board(1).set_thresholds(vuv=3.1, vov=4.2)
        stack.board(2).set_thresholds(vuv=2.5, vov=3.7)
        stack.board(2).discharge = {1, 12}
        path = tmp_path / "rig.json"
        stack.save_config(path)
        saved = json.loads(path.read_text())
        assert saved["board"][1]["discharge"] == [1, 12]
        assert saved["board"][1]["cfgr"][1:3] == ["01", "08"]
        assert saved == stack.config
    with kestrav.open("sim:2") as other:
        other.load_config(path)
        assert other.config == saved


def test_a_refused_file_or_dict_changes_nothing():
    with kestrav.open("sim:3") as stack:
        stack.load_config(EXAMPLE)
        before = stack.config
        bad = example()
        bad["board"][0]["vuv"] = 7
        with pytest.raises(ValueError, match='board 1 "vuv" and "vov": Only Enter Values Between 0.000V and 6.120V.'):
            stack.config = bad
        bad = example()
        bad["board"][2]["mask"] = [13]
        with pytest.raises(ValueError, match="not a cell number 1 to 12"):
            stack.config = bad
        with pytest.raises(ValueError, match="No such file or directory"):
            stack.load_config("/nonexistent/rig.json")
        assert stack.config == before
        # Both thresholds 0 V, as at start-up, cannot be typed: not saved.
        with kestrav.open("sim:1") as fresh, pytest.raises(OSError, match="VUV must be less than VOV"):
            fresh.save_config(os.devnull + ".json")


def config_writes(trace):
    with open(trace) as f:
        return [line.split("\t")[1] for line in f if "T01S" in line.split("\t")[1]]


# A file saved from Python, written board by board by kestrav-log --config
# and by Python's own WRITE CONFIG per board: the same strings.
def test_python_and_kestrav_log_write_a_file_with_the_same_strings(tmp_path):
    path = tmp_path / "rig.json"
    script = tmp_path / "python.tsv"
    with kestrav.open("sim:3", trace=script) as stack:
        cfg = example()
        cfg["addresses"][2] = "0x83"
        cfg["threshold_mode"] = "per_board"
        stack.config = cfg
        stack.save_config(path)
        stack.broadcasts = stack.broadcasts - {"WRCFG"}
        for b in stack:
            b.write_config()
    log = tmp_path / "log.tsv"
    r = subprocess.run(
        [os.path.join(BUILD, "kestrav-log"), "--simulate=3", "--config", str(path), "--seconds", "0.8",
         "--out", str(tmp_path / "run.xls"), "--trace", str(log)],
        capture_output=True, text=True, timeout=120)
    assert r.returncode == 0, r.stderr
    assert config_writes(log) == config_writes(script)
    assert len(config_writes(script)) == 3
