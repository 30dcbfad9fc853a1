"""Script a stack of KESTRAV-2 battery-monitor boards from Python.

    import kestrav
    with kestrav.open("sim:4") as stack:
        b = stack.board(2)
        b.set_thresholds(vuv=3.1, vov=4.2)
        b.write_config()
        print(b.read_cells().volts)

Every step is the one a user takes in the monitor's window, on the same
core: the same bridge strings, PEC checks, retries and cell statuses.
"""

from ._errors import BridgeLost, BridgeRefused, ConfigMismatch, Error, PecError
from ._stack import BROADCASTABLE, Board, Sim, Stack, open
from ._types import BoardReading, Cells, Config, Flags, Pec, Snapshot, Temps

__all__ = [
    "open", "Stack", "Board", "Sim", "BROADCASTABLE",
    "Cells", "Temps", "Flags", "Config", "Pec", "Snapshot", "BoardReading",
    "Error", "BridgeRefused", "BridgeLost", "PecError", "ConfigMismatch",
]
