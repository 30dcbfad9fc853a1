"""The readings of a stack: frozen dataclasses, volts as floats, sets of
cell numbers (1..12) as frozensets."""

from dataclasses import dataclass
from typing import FrozenSet, Tuple


@dataclass(frozen=True)
class Pec:
    """The packet error code of a reply: ``received`` from the chip,
    ``computed`` over the bytes received; ``ok`` when they match and the
    reply came whole."""

    received: int
    computed: int
    ok: bool

    def __repr__(self):
        mark = "==" if self.ok else "!="
        return f"Pec(0x{self.received:02X} {mark} 0x{self.computed:02X})"


@dataclass(frozen=True)
class Cells:
    """The twelve cell voltages of one board in volts and their 12-bit codes."""

    board: int
    volts: Tuple[float, ...]
    codes: Tuple[int, ...]
    pec: Pec


@dataclass(frozen=True)
class Temps:
    """The two external temperature inputs and the die sensor, in volts."""

    board: int
    etmp1: float
    etmp2: float
    itmp: float
    pec: Pec


@dataclass(frozen=True)
class Flags:
    """Cells flagged under- and over-voltage by the chip, and the three flag bytes."""

    board: int
    uv: FrozenSet[int]
    ov: FrozenSet[int]
    raw: Tuple[int, int, int]
    pec: Pec


@dataclass(frozen=True)
class Config:
    """The six configuration registers read back, their thresholds in volts,
    and whether they equal what the window holds prepared for the board."""

    board: int
    registers: Tuple[int, ...]
    vuv: float
    vov: float
    matches_prepared: bool
    pec: Pec

    def hex(self):
        return " ".join(f"{r:02X}" for r in self.registers)


@dataclass(frozen=True)
class BoardReading:
    """One board of a snapshot."""

    board: int
    address: int
    cells: Cells
    temps: Temps
    flags: Flags
    statuses: Tuple[str, ...]


@dataclass(frozen=True)
class Snapshot:
    """Every board of the stack read in one pass; ``time`` in seconds since the epoch."""

    time: float
    boards: Tuple[BoardReading, ...]


def cell_set(mask):
    return frozenset(c for c in range(1, 13) if mask >> (c - 1) & 1)


def cell_mask(cells, what):
    mask = 0
    for c in cells:
        if isinstance(c, bool) or not isinstance(c, int) or not 1 <= c <= 12:
            raise ValueError(f"{what}: cells are numbered 1 to 12, not {c!r}")
        mask |= 1 << (c - 1)
    return mask


def pec(t):
    return Pec(*t)


def cells(t):
    board, volts, codes, p = t
    return Cells(board, tuple(volts), tuple(codes), pec(p))


def temps(t):
    board, e1, e2, it, p = t
    return Temps(board, e1, e2, it, pec(p))


def flags(t):
    board, uv, ov, raw, p = t
    return Flags(board, cell_set(uv), cell_set(ov), tuple(raw), pec(p))


def config(t):
    board, registers, vuv, vov, matches, p = t
    return Config(board, tuple(registers), vuv, vov, matches, pec(p))
