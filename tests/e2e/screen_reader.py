#!/usr/bin/python3
"""Reads the monitor as a screen reader does, through the accessibility (AT-SPI) bus.

  screen_reader.py names PID SECONDS PREFIX|STATE...
      Waits until, for each PREFIX, the label of process PID whose name starts with PREFIX ends
      with ", STATE"; prints the names it read and exits 0, or 1 once SECONDS have passed.
  screen_reader.py listen PID FILE SECONDS
      Writes to FILE, one per line, every name change ("name<TAB>NEW NAME") and every appearance
      or disappearance ("showing<TAB>NAME<TAB>1 or 0") of the accessible objects of process PID,
      for SECONDS.
"""
import sys
import threading
import time

import pyatspi


def application(pid, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:  # an application leaving the bus as it is asked
                pass
        time.sleep(0.2)
    raise SystemExit(f"screen_reader: no application of process {pid} on the accessibility bus")


def labels(app):
    found = []

    def walk(node, depth):
        if depth > 12:
            return
        for child in node:
            if child is None:
                continue
            if child.getRole() == pyatspi.ROLE_LABEL:
                found.append(child)
            walk(child, depth + 1)

    walk(app, 0)
    return found


def wait_for_names(pid, seconds, wanted):
    deadline = time.monotonic() + seconds
    app = application(pid, seconds)
    boxes = {}
    seen = {}
    while True:
        if len(boxes) < len(wanted):
            for label in labels(app):
                name = label.name or ""
                for prefix in wanted:
                    if name.startswith(prefix):
                        boxes[prefix] = label
        seen = {prefix: boxes[prefix].name if prefix in boxes else "(not found)"
                for prefix in wanted}
        if all(seen[p].endswith(", " + state) for p, state in wanted.items()):
            for prefix in wanted:
                print(seen[prefix])
            return 0
        if time.monotonic() > deadline:
            for prefix, state in wanted.items():
                print(f"{seen[prefix]!r}: expected it to end with ', {state}'", file=sys.stderr)
            return 1
        time.sleep(0.1)


def listen(pid, path, seconds):
    out = open(path, "w", buffering=1, encoding="utf-8")

    def heard(event):
        try:
            source = event.source
            if source is None or source.get_process_id() != pid:
                return
            if event.type.startswith("object:property-change:accessible-name"):
                out.write(f"name\t{source.name}\n")
            elif event.type.startswith("object:state-changed:showing"):
                out.write(f"showing\t{source.name}\t{event.detail1}\n")
        except Exception:  # an object gone by the time its event is read
            pass

    pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name",
                                           "object:state-changed:showing")
    threading.Timer(seconds, pyatspi.Registry.stop).start()
    out.write("listening\n")
    pyatspi.Registry.start()
    return 0


def main(argv):
    if len(argv) >= 4 and argv[1] == "names":
        wanted = dict(arg.split("|", 1) for arg in argv[4:])
        return wait_for_names(int(argv[2]), float(argv[3]), wanted)
    if len(argv) == 5 and argv[1] == "listen":
        return listen(int(argv[2]), argv[3], float(argv[4]))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
