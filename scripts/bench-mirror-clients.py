#!/usr/bin/python3
"""For `make bench-e2e`: COUNT WebSocket clients of the panel mirror at URL (as the monitor
prints it), each reading and throwing away every message, as phones showing the page would.

Prints "connected COUNT" once every client has its first (full) message, and on SIGTERM or
SIGINT "clients=COUNT messages=N bytes=B seconds=S" for the time since then, and ends. Ends with
status 1 if a client is refused or dropped.

Usage: bench-mirror-clients.py URL COUNT"""

import os
import selectors
import signal
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import mirror_ws  # noqa: E402

stopping = False


def whole_frames(buffer):
    """(frames complete at the start of BUFFER, bytes they take); server frames are unmasked."""
    frames = used = 0
    while len(buffer) - used >= 2:
        length, head = buffer[used + 1] & 0x7F, 2
        if length == 126:
            head = 4
        elif length == 127:
            head = 10
        if len(buffer) - used < head:
            break
        if head > 2:
            length = int.from_bytes(buffer[used + 2:used + head], "big")
        if len(buffer) - used < head + length:
            break
        used += head + length
        frames += 1
    return frames, used


def stop(*_):
    global stopping
    stopping = True


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    url, count = sys.argv[1], int(sys.argv[2])
    host, port, path = mirror_ws.split_url(url)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    selector = selectors.DefaultSelector()
    for number in range(count):
        sock, status = mirror_ws.open_client(host, port, path + "live")
        if sock is None:
            print(f"client {number + 1} refused: status {status}", file=sys.stderr)
            return 1
        message = mirror_ws.read_message(sock)
        if not message or message.get("full") is not True:
            print(f"client {number + 1} got no full panel first", file=sys.stderr)
            return 1
        sock.setblocking(False)
        selector.register(sock, selectors.EVENT_READ, bytearray())
    print(f"connected {count}", flush=True)
    began, received, frames = time.monotonic(), 0, 0
    while not stopping:
        for key, _ in selector.select(timeout=0.5):
            try:
                data = key.fileobj.recv(65536)
            except BlockingIOError:
                continue
            if not data:
                print("a client was dropped by the monitor", file=sys.stderr)
                return 1
            received += len(data)
            key.data.extend(data)
            complete, used = whole_frames(key.data)
            frames += complete
            del key.data[:used]
    seconds = time.monotonic() - began
    print(f"clients={count} messages={frames} bytes={received} seconds={seconds:.1f}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
