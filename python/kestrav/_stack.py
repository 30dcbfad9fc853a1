"""The stack and its boards, on the headless session of kestrav._core."""

import json
import os
import time

from . import _core, _types
from ._errors import ConfigMismatch

# The six commands whose broadcast choice the window offers, in its order.
BROADCASTABLE = ("PLADC", "PLINT", "STCVAD", "STOWAD", "STTMPAD", "WRCFG")


class Sim:
    """The built-in simulator behind a "sim:" stack, for tests without hardware.

    Boards are numbered from 1, cells 1 to 12. The fault shares are floats
    0..1 of the read replies that are corrupted (their PEC fails), cut
    short or not answered; they may be changed at any time.
    """

    def __init__(self, session):
        self._s = session
        self._shares = [0.0, 0.0, 0.0]

    def set_cell(self, board, cell, volts):
        """Cell ``cell`` of ``board`` sits at ``volts`` from the next conversion on."""
        self._s.sim_set_cell(board, cell, float(volts))

    def open_wire(self, board, cell):
        """The sense wire at the top of ``cell`` breaks."""
        self._s.sim_open_wire(board, cell)

    def unplug(self):
        """The bridge goes silent for good, as when its cable is pulled."""
        self._s.sim_unplug()

    def _share(i):
        def get(self):
            return self._shares[i]

        def put(self, value):
            value = float(value)
            if not 0.0 <= value <= 1.0:
                raise ValueError("a share is between 0 and 1")
            self._shares[i] = value
            self._s.sim_set_shares(*self._shares)

        return property(get, put)

    corrupt_share = _share(0)
    short_share = _share(1)
    drop_share = _share(2)
    del _share


class Board:
    """One board of the stack, numbered from 1, as the window's board button
    selects it. What is set here is prepared in the window's controls, as a
    user's clicks would; ``write_config()`` sends it."""

    def __init__(self, stack, number):
        self._stack = stack
        self.number = number

    def __repr__(self):
        return f"<kestrav.Board {self.number} at 0x{self.address:02X}>"

    @property
    def _s(self):
        return self._stack._session()

    def _prepared(self):
        return self._s.prepared(self.number)

    # --- address and configuration prepared --------------------------------
    @property
    def address(self):
        """The bus address, 0x80..0x8F (0x81 for board 1 by default)."""
        return self._s.address(self.number)

    @address.setter
    def address(self, value):
        self._s.set_address(self.number, value)

    @property
    def cdc(self):
        """The comparator duty cycle, 0..7."""
        return self._prepared()[1]

    @cdc.setter
    def cdc(self, mode):
        self._s.set_cdc(self.number, mode)

    def _flag(name, index, doc):
        def get(self):
            return bool(self._prepared()[index])

        def put(self, on):
            self._s.set_config_flag(self.number, name, bool(on))

        return property(get, put, doc=doc)

    cell10 = _flag("cell10", 2, "Ten-cell reading (cells 11 and 12 hidden).")
    lvlpl = _flag("lvlpl", 3, "Level polling (True) or toggle polling.")
    gpio1 = _flag("gpio1", 4, "GPIO1 Hi-Z (True) or output low.")
    gpio2 = _flag("gpio2", 5, "GPIO2 Hi-Z (True) or output low.")
    del _flag

    @property
    def discharge(self):
        """Cells (1..12) whose discharge switch is on."""
        return _types.cell_set(self._prepared()[6])

    @discharge.setter
    def discharge(self, cells):
        self._s.set_discharge(self.number, _types.cell_mask(cells, "discharge"))

    @property
    def mask(self):
        """Cells (1..12) whose interrupt is masked."""
        return _types.cell_set(self._prepared()[7])

    @mask.setter
    def mask(self, cells):
        self._s.set_mask(self.number, _types.cell_mask(cells, "mask"))

    @property
    def registers(self):
        """The six configuration registers as prepared."""
        return tuple(self._prepared()[0])

    @property
    def vuv(self):
        """The under-voltage threshold kept, in volts (code x 0.024 V)."""
        return self._prepared()[8]

    @property
    def vov(self):
        """The over-voltage threshold kept, in volts (code x 0.024 V)."""
        return self._prepared()[9]

    def set_thresholds(self, vuv=None, vov=None):
        """Sets this board's thresholds in volts (the window's per-board mode);
        one not given keeps its value. Returns the pair kept. ValueError with
        the window's text for a pair the boxes refuse, and then nothing changes."""
        self._s.set_thresholds(self.number, vuv, vov)
        return self.vuv, self.vov

    # --- commands -------------------------------------------------------------
    def write_config(self, verify=False):
        """WRITE CONFIG addressed to this board. With ``verify`` the
        configuration is read back and ConfigMismatch raised when it differs."""
        self._s.write_config(self.number, False)
        if verify:
            config = self.read_config()
            if not config.matches_prepared:
                raise ConfigMismatch(self.number, config)

    def read_config(self):
        """READ CONFIG: the registers, their thresholds and the comparison."""
        return _types.config(self._s.read_config(self.number))

    def read_cells(self, start=True):
        """A cell conversion start (unless ``start`` is False), then RDCV."""
        return _types.cells(self._s.read_cells(self.number, start))

    def read_temps(self, start=True):
        """A temperature conversion start (unless ``start`` is False), then RDTMP."""
        return _types.temps(self._s.read_temps(self.number, start))

    def read_flags(self):
        """RDFLG: the cells flagged under- and over-voltage."""
        return _types.flags(self._s.read_flags(self.number))

    def statuses(self):
        """Each cell's status as the window classifies it ("OK", "DC", "UV", ...)."""
        return self._s.statuses(self.number)

    def start_cells(self):
        """The STARTCELLVOLT button."""
        self._s.start(self.number, "cells")

    def start_openwire(self):
        """The START OPENWIRE button."""
        self._s.start(self.number, "openwire")

    def start_temps(self):
        """The START TEMP button."""
        self._s.start(self.number, "temps")

    def poll_adc(self):
        """The POLL ADC button."""
        self._s.start(self.number, "adc")

    def poll_int(self):
        """The POLL INT button."""
        self._s.start(self.number, "int")


class Stack:
    """A stack of KESTRAV-2 boards behind one bridge, driven as a user drives
    the window: the same bridge strings, PEC checks and retries.

    Use it from one thread at a time; the interpreter's lock is released
    during every bridge transaction, so other threads run meanwhile. Use it
    as a context manager, or call close().
    """

    def __init__(self, uri, *, boards=None, pec_match_only=True, trace=None, settle_ms=0):
        self.uri = uri
        self._s = _core.Session(uri, bool(pec_match_only), "" if trace is None else str(trace), int(settle_ms))
        self.sim = Sim(self._s) if self._s.simulated else None
        if boards is not None:
            self.boards = boards

    def _session(self):
        return self._s

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        self._s.close()

    def __repr__(self):
        state = "closed" if self._s.closed else f"{self.boards} boards"
        return f"<kestrav.Stack {self.uri!r} {state}>"

    @property
    def identity(self):
        """What the bridge answered to the identification."""
        return self._s.identification

    @property
    def boards(self):
        """The stack size, 1..10."""
        return self._s.boards

    @boards.setter
    def boards(self, n):
        if isinstance(n, bool) or not isinstance(n, int):
            raise ValueError("the stack holds 1 to 10 boards")
        self._s.set_boards(n)

    def board(self, n):
        """Board ``n``, numbered from 1."""
        if isinstance(n, bool) or not isinstance(n, int) or not 1 <= n <= self.boards:
            raise ValueError(f"board {n!r} is not in the stack of {self.boards} boards")
        return Board(self, n)

    def __iter__(self):
        return (Board(self, n) for n in range(1, self.boards + 1))

    @property
    def pec_match_only(self):
        """"PEC Match Only": a reply whose PEC fails is asked again (ten
        attempts, then PecError); off, it is returned with pec.ok False."""
        return self._s.pec_match_only

    @pec_match_only.setter
    def pec_match_only(self, on):
        self._s.pec_match_only = bool(on)

    @property
    def broadcasts(self):
        """The commands ("PLADC", "PLINT", "STCVAD", "STOWAD", "STTMPAD",
        "WRCFG") sent as broadcasts rather than to the selected board."""
        return frozenset(c for i, c in enumerate(BROADCASTABLE) if self._s.broadcast(i))

    @broadcasts.setter
    def broadcasts(self, commands):
        commands = set(commands)
        unknown = commands - set(BROADCASTABLE)
        if unknown:
            raise ValueError(f"no broadcast choice for {sorted(unknown)}")
        for i, c in enumerate(BROADCASTABLE):
            self._s.set_broadcast(i, c in commands)

    @property
    def config(self):
        """The prepared configuration as a plain dict in the layout of a stack
        configuration file (see the README): what File > Save Stack
        Configuration... would write. Assigning such a dict applies it as
        load_config() does."""
        return json.loads(self._s.config_json())

    @config.setter
    def config(self, value):
        self._s.apply_config_json(json.dumps(value))

    def load_config(self, path):
        """Opens a stack configuration file as File > Open Stack
        Configuration... does: all or nothing (ValueError naming the file,
        the field and the reason), the values typed into the boxes, nothing
        written to the chips until write_config()."""
        self._s.load_config(os.fspath(path))

    def save_config(self, path):
        """Writes the prepared configuration to a file, atomically; OSError
        when it was not written (the old file is kept)."""
        self._s.save_config(os.fspath(path))

    def set_thresholds(self, vuv, vov):
        """Every board's thresholds in volts (the window's global mode)."""
        self._s.set_all_thresholds(vuv, vov)

    def broadcast_config(self, board):
        """WRITE CONFIG of ``board``'s configuration as a broadcast to every chip."""
        number = board.number if isinstance(board, Board) else int(board)
        self.board(number)
        self._s.write_config(number, True)

    def read_all(self):
        """Every board's cells, temperatures, flags and statuses in one pass."""
        rows = self._s.read_all()
        boards = tuple(
            _types.BoardReading(
                board, int(address, 16), _types.cells(c), _types.temps(t), _types.flags(f), tuple(st)
            )
            for board, address, c, t, f, st in rows
        )
        return _types.Snapshot(time.time(), boards)


def open(uri, *, boards=None, pec_match_only=True, trace=None, settle_ms=0):
    """Opens the stack behind ``uri``: "sim:N[?seed=S&realtime=1]" (the
    built-in simulator, N boards), "tty:PATH[?baud=N]" or "ftdi:" (the first
    FTDI device). Raises BridgeRefused when the bridge does not name the chip.
    ``trace`` writes the bridge traffic to a file as --trace does."""
    return Stack(uri, boards=boards, pec_match_only=pec_match_only, trace=trace, settle_ms=settle_ms)
