"""The exceptions of the kestrav package, all under :class:`Error`."""


class Error(Exception):
    """Anything the stack could not do."""


class BridgeRefused(Error):
    """The bridge does not name the KESTRAV-2 chip; ``answer`` is what it said."""

    def __init__(self, answer):
        super().__init__(f"the bridge answered {answer!r} instead of 'KESTRAV-2'")
        self.answer = answer


class BridgeLost(Error):
    """A read heard nothing and the bridge no longer names the chip.

    The stack is closed: every later call raises this too.
    """


class PecError(Error):
    """A read threw away every reply whose packet error code did not match.

    ``board`` (from 1), ``command`` ("RDCFG", "RDCV", "RDFLG", "RDTMP"),
    ``received`` and ``computed`` (the PEC of the last reply and the one
    computed over its bytes) and ``attempts``.
    """

    def __init__(self, message, board, command, received, computed, attempts):
        super().__init__(
            f"{command} of board {board}: no reply with a matching PEC in {attempts} attempts "
            f"(last received 0x{received:02X}, computed 0x{computed:02X})"
        )
        self.message = message
        self.board = board
        self.command = command
        self.received = received
        self.computed = computed
        self.attempts = attempts


class ConfigMismatch(Error):
    """The configuration read back differs from what was written.

    ``config`` is the :class:`kestrav.Config` read back.
    """

    def __init__(self, board, config):
        super().__init__(f"board {board} read back registers {config.hex()} unlike those prepared")
        self.board = board
        self.config = config
