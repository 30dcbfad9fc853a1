"""python3 -m kestrav snapshot URI [--boards N] | identify URI

snapshot prints one read_all() of the stack as JSON on stdout; identify
prints what the bridge answered to the identification. Status 0 done,
1 the bridge refused, was lost or a read gave up, 2 bad arguments."""

import argparse
import dataclasses
import json
import sys

from . import Error, open as open_stack


def _parser():
    p = argparse.ArgumentParser(prog="python3 -m kestrav", description="Read a KESTRAV-2 stack from a shell.")
    sub = p.add_subparsers(dest="command", required=True)
    snap = sub.add_parser("snapshot", help="print one pass over every board as JSON")
    snap.add_argument("uri", help='"sim:N", "tty:PATH[?baud=N]" or "ftdi:"')
    snap.add_argument("--boards", type=int, help="the stack size, 1..10")
    ident = sub.add_parser("identify", help="print the bridge's identification")
    ident.add_argument("uri")
    return p


def _jsonable(value):
    if isinstance(value, frozenset):
        return sorted(value)
    if dataclasses.is_dataclass(value):
        return {f.name: _jsonable(getattr(value, f.name)) for f in dataclasses.fields(value)}
    if isinstance(value, (list, tuple)):
        return [_jsonable(v) for v in value]
    return value


def main(argv=None):
    parser = _parser()
    args = parser.parse_args(argv)  # status 2 and the usage line on bad arguments
    if args.command == "snapshot" and args.boards is not None and not 1 <= args.boards <= 10:
        parser.error("--boards takes 1 to 10")
    try:
        with open_stack(args.uri) as stack:
            if args.command == "identify":
                print(stack.identity)
                return 0
            if args.boards is not None:
                stack.boards = args.boards
            json.dump(_jsonable(stack.read_all()), sys.stdout)
            sys.stdout.write("\n")
            return 0
    except ValueError as e:  # a URI that names no bridge
        parser.error(str(e))
    except (Error, OSError) as e:
        print(f"kestrav: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
