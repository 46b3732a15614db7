"""The panel mirror end to end: the real gear-monitor with --mirror 127.0.0.1:0 reading gear-sim,
its window on a private X server (DISPLAY), the page in headless chromium, raw WebSocket clients.

1. The page opened at the printed address shows every control of the window at its place.
2. As gear-sim's flight retracts the gear the up lights turn red on the page, in the colours the
   window's pixels show at the same time; the link indicator matches too.
3. Markup in a received line (gear-sim's firmware text) shows as text, and nothing runs.
4. A wrong or missing key gets 403 and an empty body, the WebSocket too; an unknown file 404;
   every response carries the security headers.
5. With the page and 15 raw clients connected the 17th is refused; once one leaves, a new one
   is let in.
6. Clients that stop reading are dropped while the monitor's memory stays flat, and the page
   stays live; a client that sends a large message is dropped.
7. When the monitor goes away the page says "mirror disconnected"; started again on the same
   port with the same key file, the page recovers by itself.

Usage: mirror_e2e.py PROGRAM_FOLDER GEAR_SIM X11_PROBE GEAR_FACTS_SH WORK_DIR"""

import http.client
import os
import re
import signal
import subprocess
import sys
import time

from mirror_browser import chromium, wait_for
import mirror_ws

MARKUP = '<img src=x onerror="document.title=\'owned\'">'
UP_LIGHTS = ["LG_Nose_Up_Light", "LG_Left_Up_Light", "LG_Right_Up_Light"]
GEAR_LIGHTS = UP_LIGHTS + ["LG_Nose_Down_Light", "LG_Left_Down_Light", "LG_Right_Down_Light",
                           "LG_CommOK"]
RED = "rgb(255, 0, 0)"
HEADERS = dict(mirror_ws.SECURITY_HEADERS)
MOST_CLIENTS = 16
STALLED_CLIENTS = 10
# A stalled client's receive buffer: the kernel doubles it and keeps a floor of a few KB.
STALLED_RECEIVE_BUFFER = 4096
RSS_GROWTH_LIMIT_KB = 1024
# A client is dropped once it has left 5 s of snapshots unsent on top of what the system and Qt
# hold for it: at the twenty kilobytes a second the panel sends with the serial view shown, some
# 15 s after it stops reading.
DROP_WITHIN_S = 40
ADDRESS_LINE = re.compile(r"^gear-monitor: panel mirror at (http://127\.0\.0\.1:(\d+)/([0-9a-f]{32})/)$")

program, sim_binary, probe, facts_file, work = sys.argv[1:6] if len(sys.argv) == 6 else [""] * 5
failures = []


def say(text):
    print(f"mirror e2e: {text}", flush=True)


def check(what, good, detail=""):
    say(f"{what}: {'ok' if good else 'FAILED'}{' (' + detail + ')' if detail else ''}")
    if not good:
        failures.append(what)
    return good


class Abort(Exception):
    """A step the rest depends on failed."""


def read_facts():
    script = ('source "$1"; printf "%s\\n" "$gear_caption" "$gear_client_height"'
              ' "${gear_menu[Show_Menu]}";'
              ' for n in "${!gear_corner[@]}"; do echo "$n=${gear_corner[$n]}"; done')
    lines = subprocess.run(["bash", "-c", script, "facts", facts_file], check=True,
                           capture_output=True, text=True).stdout.split("\n")
    corners = dict(line.split("=", 1) for line in lines[3:] if "=" in line)
    return (lines[0], int(lines[1]), lines[2].split(","),
            {n: tuple(map(int, xy.split(","))) for n, xy in corners.items()})


CAPTION, CLIENT_HEIGHT, SHOW_MENU, CORNERS = read_facts() if facts_file else ("", 0, [], {})


class Processes:
    def __init__(self):
        self.sim = self.monitor = None
        self.monitor_log = os.path.join(work, "monitor.out")

    def start_sim(self):
        # A frame every 100 ms: a flight takes 3.6 s and the serial view changes all the time.
        self.sim = subprocess.Popen(
            [sim_binary, "--link-dir", program, "--port", "7", "--frame-ms", "100",
             "--firmware", MARKUP],
            stdout=open(os.path.join(work, "sim.out"), "w"),
            stderr=open(os.path.join(work, "sim.log"), "w"))
        if wait_for(lambda: os.path.islink(os.path.join(program, "com7")), True, 5) is not True:
            raise Abort("gear-sim did not link com7")

    def start_monitor(self, mirror):
        """Starts the monitor with --mirror MIRROR; returns the printed address, its port, key."""
        env = dict(os.environ, QT_QPA_PLATFORM="xcb")
        self.monitor = subprocess.Popen(
            [os.path.join(program, "gear-monitor"), "--mirror", mirror,
             "--mirror-key", os.path.join(work, "mirror.key")],
            stdout=open(self.monitor_log, "w"),
            stderr=open(os.path.join(work, "monitor.log"), "w"), env=env)
        found = wait_for(self.printed_address, True, 10)
        if not found:
            raise Abort(f"no address line printed within 10 s; printed: {self.printed()[:400]!r}")
        return found.group(1), int(found.group(2)), found.group(3)

    def printed(self):
        with open(self.monitor_log, errors="replace") as log:
            return log.read()

    def printed_address(self):
        lines = self.printed().split("\n")
        return ADDRESS_LINE.match(lines[0]) if len(lines) > 1 else None

    def stop_monitor(self):
        if self.monitor and self.monitor.poll() is None:
            self.monitor.send_signal(signal.SIGTERM)
            try:
                self.monitor.wait(5)
            except subprocess.TimeoutExpired:
                self.monitor.kill()
                self.monitor.wait()

    def stop(self):
        self.stop_monitor()
        if self.sim and self.sim.poll() is None:
            self.sim.terminate()
            self.sim.wait(5)


def find_window():
    # With the mirror on, the caption goes on with the mirror's address.
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{CAPTION}"],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def show_serial_view():
    """A click on SHOW/HIDE SERIAL: the twenty lines of the view then change with every line
    received, and the mirror sends them twenty times a second."""
    window = find_window()
    return window is not None and subprocess.run(
        ["xdotool", "mousemove", "--window", window] + SHOW_MENU + ["click", "1"]).returncode == 0


def window_colours(places):
    """The window's colours at PLACES (control names, or client-area corners (x, y)) as
    "rgb(R, G, B)", read 3 px inside each corner; None when the window cannot be read."""
    window = find_window()
    if window is None:
        return None
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                              capture_output=True, text=True).stdout
    top = int(re.search(r"HEIGHT=(\d+)", geometry).group(1)) - CLIENT_HEIGHT
    corners = [CORNERS[p] if isinstance(p, str) else p for p in places]
    points = [f"{x + 3},{y + 3 + top}" for x, y in corners]
    read = subprocess.run([probe, "pixels", window] + points, capture_output=True, text=True)
    if read.returncode != 0:
        return None
    return ["rgb({}, {}, {})".format(*p.split(",")) for p in read.stdout.split()]


def page_colours(browser, names):
    return browser.execute_script(
        "return arguments[0].map(n => { var e = document.getElementById(n);"
        " return e ? (e.hidden ? 'hidden' : e.style.backgroundColor) : 'missing'; });", names)


def page_status(browser):
    return browser.execute_script("return document.getElementById('mirror-status').textContent;")


def page_indicators(browser):
    """The page's indicator boxes (bordered labels without a caption) that are shown: their
    names, places and colours."""
    return browser.execute_script(
        "return Array.from(document.querySelectorAll('#panel .label.bordered'))"
        ".filter(e => !e.hidden && e.textContent === '')"
        ".map(e => [e.id, parseInt(e.style.left), parseInt(e.style.top), e.style.backgroundColor]);")


def check_panel_drawn(browser):
    names = wait_for(lambda: browser.execute_script(
        "return Array.from(document.getElementById('panel').children).map(e => e.id);"), True, 10)
    missing, extra = sorted(set(CORNERS) - set(names)), sorted(set(names) - set(CORNERS))
    check("the page has every control of the window's control table, and no other",
          names and not missing and not extra,
          f"{len(names)} controls" + (f"; missing {missing[:6]}, extra {extra[:6]}" if missing or extra else ""))
    # Every shown indicator is at the same place in the same colour in the window, at one moment.
    deadline, differing = time.monotonic() + 8, ["nothing compared"]
    while differing and time.monotonic() < deadline:
        indicators = page_indicators(browser)
        window = window_colours([(x, y) for _, x, y, _ in indicators])
        differing = [f"{n} {c} (window {w})" for (n, _, _, c), w in zip(indicators, window or [])
                     if c != w] if window and indicators else ["the window could not be read"]
    check("the page's indicators are where the window's are, in its colours", not differing,
          f"{len(indicators)} indicators" if not differing else "; ".join(differing[:6]))


def check_matches_window(browser, what, names, seconds=3):
    """Page and window show the same colours at one moment within SECONDS."""
    last = None
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        window = window_colours(names)
        page = page_colours(browser, names)
        if window is not None and page == window:
            return check(what, True, ", ".join(f"{n} {c}" for n, c in zip(names, page)))
        last = (window, page)
        time.sleep(0.05)
    return check(what, False, f"window {last[0]}, page {last[1]}")


def check_retraction(browser):
    seen = wait_for(lambda: page_colours(browser, UP_LIGHTS), [RED] * 3, 20)
    check("a retraction turns the up lights red on the page", seen == [RED] * 3, f"{seen}")
    check_matches_window(browser, "the page's up lights match the window's", UP_LIGHTS)
    check_matches_window(browser, "the page's gear lights and link indicator match the window's",
                         GEAR_LIGHTS)


def check_markup(browser):
    script = ("var e = document.getElementById('FirmwareVersion');"
              " return [e ? e.textContent : 'missing',"
              " document.querySelectorAll('#panel img, #panel script').length, document.title];")
    seen = wait_for(lambda: browser.execute_script(script), [MARKUP, 0, "Landing Gear Controller Monitor"], 10)
    check("markup in a received line shows as text", seen[0] == MARKUP and seen[1] == 0
          and seen[2] != "owned", f"{seen}")


def http_get(port, path):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    try:
        connection.request("GET", path)
        response = connection.getresponse()
        return response.status, response.read(), dict(response.getheaders())
    finally:
        connection.close()


def websocket_refused(port, path):
    """True when the upgrade is answered with anything but 101, or with a close and no panel."""
    sock, status = mirror_ws.open_client("127.0.0.1", port, path)
    if sock is None:
        return True, f"status {status}"
    try:
        message = mirror_ws.read_message(sock)
        return message is None, "closed" if message is None else "sent the panel"
    except (ConnectionError, OSError) as error:
        return True, f"closed ({type(error).__name__})"
    finally:
        sock.close()


def check_keys(port, key):
    wrong = "0" * 32 if key != "0" * 32 else "1" * 32
    # (what, path, status; 403s must have an empty body)
    requests = [
        ("no key", "/", 403),
        ("a wrong key", f"/{wrong}/", 403),
        ("the key in capitals", f"/{key.upper()}/", 403),
        ("the key one digit short", f"/{key[:-1]}/", 403),
        ("the key with one digit more", f"/{key}0/", 403),
        ("the key as a later segment", f"/x/{key}/", 403),
        ("a wrong key for the script", f"/{wrong}/panel.js", 403),
        ("the page", f"/{key}/", 200),
        ("the script", f"/{key}/panel.js", 200),
        ("the style sheet", f"/{key}/panel.css", 200),
        ("an unknown file", f"/{key}/secret", 404),
    ]
    for what, path, wanted in requests:
        status, body, headers = http_get(port, path)
        missing = [h for h, v in HEADERS.items() if headers.get(h) != v]
        good = status == wanted and not missing and (wanted != 403 or body == b"")
        check(f"GET {what} gets {wanted} with the security headers", good,
              f"got {status}, {len(body)} bytes" + (f", headers wrong: {missing}" if missing else ""))
    for what, path in [("no key", "/live"), ("a wrong key", f"/{wrong}/live"),
                       ("the key in capitals", f"/{key.upper()}/live")]:
        refused, detail = websocket_refused(port, path)
        check(f"a WebSocket with {what} is refused", refused, detail)


def open_reader(port, key, receive_buffer=None):
    sock, status = mirror_ws.open_client("127.0.0.1", port, f"/{key}/live", receive_buffer)
    if sock is None:
        return None
    try:
        message = mirror_ws.read_message(sock)
    except (ConnectionError, OSError):
        message = None
    if not message or message.get("full") is not True:
        sock.close()
        return None
    return sock


def let_in(port, key):
    client = open_reader(port, key)
    if client:
        client.close()
    return client is not None


def check_client_limit(port, key):
    """The page holds one place; 15 raw clients fill the rest."""
    clients = [open_reader(port, key) for _ in range(MOST_CLIENTS - 1)]
    try:
        check(f"{MOST_CLIENTS} clients are served", all(clients),
              f"{sum(1 for c in clients if c)} of {MOST_CLIENTS - 1} raw clients let in besides the page")
        refused, detail = websocket_refused(port, f"/{key}/live")
        check(f"client {MOST_CLIENTS + 1} is refused", refused, detail)
        clients.pop().close()
        check("a place freed by a client that left is given to the next",
              wait_for(lambda: let_in(port, key), True, 5) is True)
    finally:
        for client in clients:
            if client:
                client.close()


def server_side_states(port, peers):
    """The state of the monitor's end of each connection from the local PEERS ports."""
    listing = subprocess.run(["ss", "-Htan"], capture_output=True, text=True).stdout
    states = {}
    for line in listing.splitlines():
        fields = line.split()
        if len(fields) >= 5 and fields[3] == f"127.0.0.1:{port}":
            peer = fields[4].rsplit(":", 1)[1]
            if peer.isdigit() and int(peer) in peers:
                states[int(peer)] = fields[0]
    return [states.get(peer, "gone") for peer in peers]


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        return int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1))


def address_sanitized(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return "libasan" in maps.read()


def check_stalled_clients(browser, port, key, pid):
    if not check("the serial view is shown, so the panel changes twenty times a second",
                 show_serial_view()):
        return
    stalled = [open_reader(port, key, STALLED_RECEIVE_BUFFER) for _ in range(STALLED_CLIENTS)]
    try:
        if not check("stalled clients connect", all(stalled)):
            return
        peers = [s.getsockname()[1] for s in stalled]
        before = peak = resident_kb(pid)
        deadline = time.monotonic() + DROP_WITHIN_S
        states = server_side_states(port, peers)
        while time.monotonic() < deadline and "ESTAB" in states:
            time.sleep(0.25)
            peak = max(peak, resident_kb(pid))
            states = server_side_states(port, peers)
        dropped_after = DROP_WITHIN_S - (deadline - time.monotonic())
        check(f"{STALLED_CLIENTS} clients that stop reading are dropped", "ESTAB" not in states,
              f"within {dropped_after:.1f} s; the monitor's ends: {sorted(set(states))}")
        # A while longer with them gone: nothing of theirs is kept.
        settle = time.monotonic() + 2
        while time.monotonic() < settle:
            peak = max(peak, resident_kb(pid))
            time.sleep(0.25)
        if address_sanitized(pid):
            # Its quarantine keeps freed memory resident by design (256 MB by default).
            print(f"mirror e2e: the monitor's memory ({before} KB, at most {peak} KB) is not "
                  "judged under AddressSanitizer")
        else:
            check("the monitor's memory stays flat meanwhile", peak - before <= RSS_GROWTH_LIMIT_KB,
                  f"resident {before} KB, at most {peak} KB, limit +{RSS_GROWTH_LIMIT_KB} KB")
        # The serial view now covers the link indicator in the window: its lines show the page live.
        first = browser.execute_script("return document.getElementById('LGRxText(0)').textContent;")
        moved = wait_for(lambda: browser.execute_script(
            "return document.getElementById('LGRxText(0)').textContent;") != first, True, 3)
        check("the page stays live beside them", moved is True and page_status(browser) == "")
    finally:
        for client in stalled:
            if client:
                client.close()


def check_talkative_client(port, key):
    client = open_reader(port, key)
    if not check("a client connects to send a large message", client is not None):
        return
    try:
        client.sendall(mirror_ws.frame(b"x" * 65536, masked=True))
        client.settimeout(5)
        closed = False
        try:
            while mirror_ws.read_message(client) is not None:
                pass
            closed = True
        except (ConnectionError, OSError):
            closed = True
        check("a client that sends 64 KB is dropped", closed)
    finally:
        client.close()


def check_restart(browser, processes, port):
    processes.stop_monitor()
    seen = wait_for(lambda: page_status(browser), "mirror disconnected", 5)
    check("the page says \"mirror disconnected\" when the monitor goes away",
          seen == "mirror disconnected", f"status {seen!r}")
    address, again_port, _ = processes.start_monitor(f"127.0.0.1:{port}")
    check("the monitor comes back on the same port", again_port == port, address)
    seen = wait_for(lambda: page_status(browser), "", 10)
    check("the page reconnects by itself", seen == "", f"status {seen!r}")
    lit = wait_for(lambda: page_colours(browser, ["LG_CommOK"]), ["rgb(0, 255, 0)"], 15)
    check("the page is live again", lit == ["rgb(0, 255, 0)"], f"LG_CommOK {lit}")


def main():
    if not facts_file:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    processes = Processes()
    browser = None
    try:
        processes.start_sim()
        address, port, key = processes.start_monitor("127.0.0.1:0")
        say(f"mirror at {address}")
        browser = chromium(740, 360)
        browser.get(address)
        check_panel_drawn(browser)
        check_markup(browser)
        live = wait_for(lambda: page_colours(browser, ["LG_CommOK"]), ["rgb(0, 255, 0)"], 15)
        check("the page's link indicator goes live with the window's", live == ["rgb(0, 255, 0)"],
              f"{live}")
        check_retraction(browser)
        check_keys(port, key)
        check_client_limit(port, key)
        check_stalled_clients(browser, port, key, processes.monitor.pid)
        check_talkative_client(port, key)
        check_restart(browser, processes, port)
    except Abort as error:
        failures.append(str(error))
        say(f"FAILED: {error}")
    finally:
        if browser:
            browser.quit()
        processes.stop()
    if failures:
        say("FAILED: " + "; ".join(failures))
        sys.exit(1)
    say("passed")


if __name__ == "__main__":
    main()
