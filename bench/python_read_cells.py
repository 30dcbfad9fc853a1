#!/usr/bin/python3
"""What the Python package adds to a read, on the zero-latency simulator.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_read_cells.py

Prints the time per call of: the crossing into _core and back (noop),
_core's read_cells (the C++ session's read and the tuple), the package's
Board.read_cells() (the dataclasses on top) and a read_all() of ten boards.
The C++ read alone is kestrav-bench's BM_SessionReadCells; the package's
overhead is Board.read_cells() minus that."""

import time

import kestrav


def per_call_us(fn, n):
    best = float("inf")
    for _ in range(5):
        t0 = time.perf_counter()
        for _ in range(n):
            fn()
        best = min(best, (time.perf_counter() - t0) / n)
    return best * 1e6


with kestrav.open("sim:10", boards=10) as stack:
    board = stack.board(1)
    core = stack._session()
    noop = per_call_us(core.noop, 20000)
    raw = per_call_us(lambda: core.read_cells(1, True), 2000)
    full = per_call_us(board.read_cells, 2000)
    read_all = per_call_us(stack.read_all, 50)
print(f"crossing (noop)            {noop:9.2f} us")
print(f"_core read_cells           {raw:9.2f} us")
print(f"Board.read_cells()         {full:9.2f} us")
print(f"dataclasses on top         {full - raw:9.2f} us")
print(f"read_all(), ten boards     {read_all / 1000:9.3f} ms")
