#!/usr/bin/python3
"""How long the panel mirror takes to show what the window shows: plays a controller on a
pseudo-terminal to gear-monitor --mirror (offscreen, in a folder of its own), writes a new gear
cycle count at a random moment, and times each from the write until a WebSocket client receives
the count's new caption. The window takes the count as the line arrives, so each time is the
window's part and the mirror's together: an upper bound on how far the mirror lags the window.

Prints one line: samples=N p50_ms=... p95_ms=... max_ms=...

Usage: bench-mirror-latency.py BUILD_DIR [SAMPLES]"""

import os
import pty
import random
import shutil
import subprocess
import sys
import tempfile
import time
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import mirror_ws  # noqa: E402

CONTROL = "LG_CycleCount"


def start_monitor(build, folder):
    """The monitor in FOLDER, reading com7, a pseudo-terminal whose master is returned."""
    shutil.copy(os.path.join(build, "gear-monitor"), folder)
    subprocess.run([os.path.join(build, "gear-facts"), "settings-file",
                    os.path.join(folder, "VovazuzoVevoZavovav.XML"), "Com7"], check=True)
    master, slave = pty.openpty()
    tty.setraw(slave)
    os.symlink(os.ttyname(slave), os.path.join(folder, "com7"))
    os.close(slave)  # the monitor refuses a terminal someone else holds open
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    monitor = subprocess.Popen([os.path.join(folder, "gear-monitor"), "--mirror", "127.0.0.1:0"],
                               cwd=folder, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    url = monitor.stdout.readline().split()[-1]
    return monitor, master, url


def caption_seen(message, text):
    return any(c.get("name") == CONTROL and c.get("text") == text
               for c in message.get("controls", []))


def wait_for(sock, text, seconds):
    start = time.monotonic()
    while not caption_seen(mirror_ws.read_message(sock), text):
        if time.monotonic() - start > seconds:
            sys.exit(f"bench-mirror-latency: the count {text} not shown within {seconds} s")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    build, samples = sys.argv[1], int(sys.argv[2]) if len(sys.argv) == 3 else 50
    folder = tempfile.mkdtemp(prefix="gear-mirror-latency.")
    monitor, master, url = start_monitor(build, folder)
    try:
        host, port, path = mirror_ws.split_url(url)
        sock, status = mirror_ws.open_client(host, port, path + "live")
        if sock is None:
            sys.exit(f"bench-mirror-latency: the mirror answered {status}")
        # The port opens some seconds after the window: what is written before waits till then.
        os.write(master, b"C:00000\r")
        wait_for(sock, "0", 15)
        times = []
        for count in range(1, samples + 1):
            time.sleep(random.uniform(0.1, 0.3))
            start = time.monotonic()
            os.write(master, b"C:%05d\r" % count)
            wait_for(sock, str(count), 5)
            times.append((time.monotonic() - start) * 1000)
        times.sort()
        print(f"samples={len(times)} p50_ms={times[len(times) // 2]:.1f} "
              f"p95_ms={times[int(len(times) * 0.95) - 1]:.1f} max_ms={times[-1]:.1f}")
    finally:
        monitor.terminate()
        monitor.wait()
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
