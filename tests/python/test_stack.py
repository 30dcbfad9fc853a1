"""The package on the in-process simulator: every property and read, the
threshold rule, the exceptions and the simulator's controls."""

import dataclasses
import threading

import pytest

import kestrav


@pytest.fixture
def stack():
    with kestrav.open("sim:4?seed=7", boards=4) as s:
        yield s


def test_identity_boards_and_addresses(stack):
    assert stack.identity.startswith("KESTRAV-2")
    assert stack.boards == 4
    assert [b.address for b in stack] == [0x81, 0x82, 0x83, 0x84]
    b = stack.board(2)
    b.address = 0x8F
    assert b.address == 0x8F
    assert stack.board(1).address == 0x81
    for bad in (0, 5, True, "2"):
        with pytest.raises(ValueError):
            stack.board(bad)
    with pytest.raises(ValueError):
        b.address = 0x90
    for bad in (0, 11):
        with pytest.raises(ValueError, match="1 to 10"):
            stack.boards = bad
    assert stack.boards == 4


def test_configuration_is_prepared_bit_by_bit_and_written(stack):
    b = stack.board(2)
    b.discharge = {3}
    b.mask = {11, 12}
    b.cdc = 2
    b.cell10 = False
    b.gpio1 = True
    b.lvlpl = True
    assert b.discharge == frozenset({3})
    assert b.mask == frozenset({11, 12})
    assert (b.cdc, b.cell10, b.gpio1, b.lvlpl) == (2, False, True, True)
    assert stack.board(1).discharge == frozenset()
    for bad in ({0}, {13}, {"3"}):
        with pytest.raises(ValueError):
            b.discharge = bad
    assert b.discharge == frozenset({3})

    assert b.set_thresholds(vuv=3.1, vov=4.2) == pytest.approx((3.096, 4.2))
    b.write_config(verify=True)
    cfg = b.read_config()
    assert cfg.matches_prepared and cfg.pec.ok
    assert cfg.registers[1:4] == (0x04, 0x00, 0xC0)
    assert (cfg.vuv, cfg.vov) == pytest.approx((3.096, 4.2))
    assert cfg.registers[4:] == (129, 175)
    # Nothing was sent to board 1: its chip still has its power-up thresholds.
    assert not stack.board(1).read_config().registers[4:] == (129, 175)
    with pytest.raises(dataclasses.FrozenInstanceError):
        cfg.vuv = 1.0


def test_write_config_verify_raises_on_a_mismatch(stack):
    b = stack.board(3)
    b.discharge = {1, 2}
    stack.board(3).write_config()
    b.discharge = {5}  # prepared, not written
    assert not b.read_config().matches_prepared
    b.write_config(verify=True)
    b2 = stack.board(4)
    b2.address = 0x8E  # nobody answers there: the read-back is 0xFF bytes
    stack.pec_match_only = False
    with pytest.raises(kestrav.ConfigMismatch) as e:
        b2.write_config(verify=True)
    assert e.value.board == 4


def test_thresholds_any_valid_pair_from_any_other_and_invalid_ones_change_nothing(stack):
    pairs = [(3.1, 4.2), (0.0, 0.024), (6.096, 6.12), (1.0, 1.5), (4.3, 5.0)]
    b = stack.board(1)
    for a in pairs:
        for z in pairs:
            b.set_thresholds(*a)
            kept = tuple(round(v / 0.024) * 0.024 for v in z)  # halves to even, as the boxes round
            assert b.set_thresholds(vuv=z[0], vov=z[1]) == pytest.approx(kept, abs=1e-6)
    stack.set_thresholds(2.0, 4.0)
    # Codes 83 and 167, read back as code x 0.024 V.
    assert all((bd.vuv, bd.vov) == pytest.approx((1.992, 4.008), abs=1e-12) for bd in stack)
    before = [(bd.vuv, bd.vov) for bd in stack]
    order = "VUV must be less than VOV"
    rng = "Only Enter Values Between 0.000V and 6.120V."
    for vuv, vov, text in [(4.2, 3.1, order), (4.19, 4.2, order), (3.0, 3.0, order), (-0.1, 4.0, rng),
                           (3.0, 6.13, rng), (float("nan"), 4.0, rng)]:
        with pytest.raises(ValueError, match=text.replace(".", r"\.")):
            stack.set_thresholds(vuv, vov)
        with pytest.raises(ValueError, match=text.replace(".", r"\.")):
            stack.board(2).set_thresholds(vuv=vuv, vov=vov)
    with pytest.raises(ValueError, match=order):
        b.set_thresholds(vov=1.0)  # below the VUV kept
    assert [(bd.vuv, bd.vov) for bd in stack] == before


def test_reads_and_statuses(stack):
    b = stack.board(2)
    b.discharge = {3}
    b.mask = {11, 12}
    b.write_config()
    cells = b.read_cells()
    assert cells.board == 2 and cells.pec.ok
    assert len(cells.volts) == 12 and all(3.4 < v < 3.8 for v in cells.volts)
    assert all(isinstance(v, float) for v in cells.volts)
    assert cells.volts[0] == pytest.approx(cells.codes[0] * 6.144 / 4095, abs=1e-6)
    again = b.read_cells(start=False)  # the same conversion read again
    assert again.codes == cells.codes
    temps = b.read_temps()
    assert temps.pec.ok and 2.0 < temps.itmp < 3.0 and 0.5 < temps.etmp1 < 2.5
    flags = b.read_flags()
    assert flags.uv == frozenset() and flags.ov == frozenset() and len(flags.raw) == 3
    st = b.statuses()
    assert st[0] == "OK" and st[2] == "DC" and st[10] == "MI" and len(st) == 12
    for start in (b.start_cells, b.start_temps, b.start_openwire, b.poll_adc, b.poll_int):
        start()
    assert "Cells(board=2" in repr(cells)


def test_flags_follow_the_thresholds_and_the_simulated_cells(stack):
    b = stack.board(1)
    stack.sim.set_cell(1, 5, 2.5)
    stack.sim.set_cell(1, 7, 4.5)
    b.set_thresholds(vuv=3.0, vov=4.2)
    b.write_config()
    b.read_cells()
    flags = b.read_flags()
    assert flags.uv == frozenset({5})
    assert flags.ov == frozenset({7})
    assert b.statuses()[4] == "UV" and b.statuses()[6] == "OV"


def test_read_all_gives_every_board(stack):
    snap = stack.read_all()
    assert [r.board for r in snap.boards] == [1, 2, 3, 4]
    assert [r.address for r in snap.boards] == [0x81, 0x82, 0x83, 0x84]
    assert all(r.cells.pec.ok and len(r.statuses) == 12 for r in snap.boards)
    assert snap.time > 0


def test_a_seed_gives_the_same_readings_every_run():
    def codes(uri):
        with kestrav.open(uri) as s:
            return s.board(1).read_cells().codes

    assert codes("sim:2?seed=7") == codes("sim:2?seed=7")
    assert codes("sim:2?seed=7") != codes("sim:2?seed=8")


def test_a_corrupted_share_gives_pec_error_or_the_mismatch():
    with kestrav.open("sim:2", boards=2) as s:
        s.sim.corrupt_share = 1.0
        with pytest.raises(kestrav.PecError) as e:
            s.board(1).read_cells()
        err = e.value
        assert (err.board, err.command, err.attempts) == (1, "RDCV", 10)
        assert err.received != err.computed
        with pytest.raises(kestrav.PecError) as e:
            s.board(2).read_flags()
        assert e.value.command == "RDFLG"
        s.pec_match_only = False
        cells = s.board(1).read_cells()
        assert not cells.pec.ok and cells.pec.received != cells.pec.computed
        s.sim.corrupt_share = 0.0
        assert s.board(1).read_cells().pec.ok
        with pytest.raises(ValueError):
            s.sim.drop_share = 1.5


def test_an_unplugged_bridge_is_lost_for_good():
    with kestrav.open("sim:2") as s:
        s.sim.unplug()
        with pytest.raises(kestrav.BridgeLost):
            s.board(1).read_cells()
        with pytest.raises(kestrav.BridgeLost):
            s.board(1).read_flags()
        with pytest.raises(kestrav.BridgeLost):
            s.boards = 1


def test_bad_places_and_closed_stacks():
    for bad in ("sim:0", "sim:16", "usb:1", "sim:2?speed=3", "sim"):
        with pytest.raises(ValueError):
            kestrav.open(bad)
    with pytest.raises(OSError):
        kestrav.open("sim:1", trace="/nonexistent/dir/t.tsv")
    s = kestrav.open("sim:1")
    s.close()
    with pytest.raises(kestrav.Error, match="closed"):
        s.board(1)
    assert kestrav.open("sim:1").sim is not None


def test_a_bridge_that_does_not_name_the_chip_is_refused():
    with pytest.raises(kestrav.BridgeRefused) as e:
        kestrav.open("tty:/nonexistent/tty")
    assert e.value.answer.strip() == ""  # nothing heard


def test_over_kestrav_sims_pty(sim_pty):
    with kestrav.open(f"tty:{sim_pty}?baud=115200", boards=2) as s:
        assert s.identity.startswith("KESTRAV-2")
        assert s.sim is None
        b = s.board(2)
        b.set_thresholds(vuv=3.0, vov=4.2)
        b.write_config(verify=True)
        assert b.read_cells().pec.ok
        assert len(s.read_all().boards) == 2


def test_the_interpreter_runs_other_threads_during_transactions():
    # With the lock released, a thread counting in Python gets turns while
    # the main thread reads in C++.
    counted = []
    stop = threading.Event()

    def count():
        n = 0
        while not stop.is_set():
            n += 1
        counted.append(n)

    with kestrav.open("sim:10?realtime=1") as s:
        s.sim.drop_share = 1.0  # every read waits out its time-out
        s.pec_match_only = False
        t = threading.Thread(target=count)
        t.start()
        s.board(1).read_flags()
        stop.set()
        t.join()
    assert counted[0] > 1000


def test_the_plugins_fixture(kestrav_stack):
    assert kestrav_stack.boards >= 1
    assert kestrav_stack.identity.startswith("KESTRAV-2")
