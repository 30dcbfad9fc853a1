# Reads the accessible name and description of every object of the
# kestrav-gui window through AT-SPI and says how long it took.
import sys
import time

import pyatspi


def find_app(timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "kestrav-gui":
                return app
        time.sleep(0.2)
    return None


def main():
    app = find_app(30)
    if app is None:
        print("kestrav-gui did not appear on the accessibility bus", file=sys.stderr)
        return 1
    time.sleep(2)  # the window is up and idle
    count = 0
    start = time.monotonic()
    stack = [app]
    while stack:
        obj = stack.pop()
        if obj is None:
            continue
        obj.name
        obj.description
        count += 1
        stack.extend(obj[i] for i in range(obj.childCount))
    took = time.monotonic() - start
    print(f"AT-SPI: name and description of {count} objects in {took:.2f} s")
    return 0


sys.exit(main())
