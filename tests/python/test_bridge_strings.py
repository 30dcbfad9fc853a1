"""The Python calls send the bridge strings the window's buttons send."""

import os
import subprocess

import kestrav


def fields(path):
    with open(path) as f:
        # Everything but the time of each transaction.
        return [line.rstrip("\n").split("\t")[1:] for line in f]


def test_python_calls_send_the_window_buttons_strings(tmp_path):
    window = tmp_path / "window.tsv"
    script = tmp_path / "python.tsv"
    subprocess.run([os.environ["KESTRAV_WINDOW_CLICKS"], str(window)], check=True, timeout=60)
    with kestrav.open("sim:4?seed=7", trace=script) as stack:
        stack.boards = 4
        b = stack.board(2)
        b.set_thresholds(vuv=3.1, vov=4.2)
        b.write_config()
        b.read_cells()
        b.read_flags()
    expected = fields(window)
    assert len(expected) >= 5  # identification, WRCFG, STCVAD, RDCV, RDFLG
    assert fields(script) == expected
