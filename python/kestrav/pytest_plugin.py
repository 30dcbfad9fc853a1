"""pytest plugin: ``pytest -p kestrav.pytest_plugin [--kestrav-uri URI]``.

Adds the ``kestrav_stack`` fixture, an open stack on ``--kestrav-uri``
("sim:10" by default), so one suite runs on the simulator in CI and on the
bench with ``--kestrav-uri ftdi:``."""

import pytest

import kestrav


def pytest_addoption(parser):
    parser.addoption(
        "--kestrav-uri",
        default="sim:10",
        help='the stack the kestrav_stack fixture opens: "sim:N", "tty:PATH" or "ftdi:" (default sim:10)',
    )


@pytest.fixture
def kestrav_stack(request):
    """An open kestrav.Stack on --kestrav-uri, closed after the test."""
    with kestrav.open(request.config.getoption("--kestrav-uri")) as stack:
        yield stack
