"""Just enough of the WebSocket protocol (RFC 6455) for the mirror's tests and its benchmark:
raw clients that read, or never read, the monitor's panel, and a stand-in monitor that serves the
page's files and sends chosen messages to it. Python's standard library only."""

import base64
import hashlib
import http.server
import json
import os
import socket
import struct
import threading
import urllib.parse

GUID = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11"
PAGE_TYPES = {"": "text/html", "panel.js": "text/javascript", "panel.css": "text/css"}
PAGE_FILES = {"": "index.html", "panel.js": "panel.js", "panel.css": "panel.css"}
SECURITY_HEADERS = {
    "Content-Security-Policy": "default-src 'self'; connect-src 'self'; img-src 'self'; "
    "style-src 'self'; script-src 'self'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'",
    "X-Content-Type-Options": "nosniff",
    "Referrer-Policy": "no-referrer",
    "Cache-Control": "no-store",
}


def accept_value(key):
    return base64.b64encode(hashlib.sha1((key + GUID).encode()).digest()).decode()


def split_url(url):
    """http://HOST:PORT/KEY/ -> (host, port, "/KEY/")."""
    parts = urllib.parse.urlsplit(url)
    return parts.hostname, parts.port, parts.path


def open_client(host, port, path, receive_buffer=None, timeout=5.0):
    """Opens a WebSocket to PATH; returns (socket, status). The socket is None unless the
    status is 101. RECEIVE_BUFFER sets SO_RCVBUF before the connection is made."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    if receive_buffer:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
    sock.settimeout(timeout)
    sock.connect((host, port))
    key = base64.b64encode(os.urandom(16)).decode()
    request = (
        f"GET {path} HTTP/1.1\r\nHost: {host}:{port}\r\nUpgrade: websocket\r\n"
        f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n"
    )
    sock.sendall(request.encode())
    head = b""
    while b"\r\n\r\n" not in head:
        chunk = sock.recv(1)
        if not chunk:
            break
        head += chunk
    lines = head.decode("latin-1").split("\r\n")
    try:
        status = int(lines[0].split()[1])
    except (IndexError, ValueError):
        status = 0
    if status != 101 or f"sec-websocket-accept: {accept_value(key)}".lower() not in (
        line.lower() for line in lines
    ):
        sock.close()
        return None, status
    return sock, status


def _read_exactly(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionError("closed")
        data += chunk
    return data


def read_frame(sock):
    """(opcode, payload) of the next frame; ConnectionError when the peer has closed."""
    first, second = _read_exactly(sock, 2)
    length = second & 0x7F
    if length == 126:
        (length,) = struct.unpack("!H", _read_exactly(sock, 2))
    elif length == 127:
        (length,) = struct.unpack("!Q", _read_exactly(sock, 8))
    mask = _read_exactly(sock, 4) if second & 0x80 else None
    payload = _read_exactly(sock, length)
    if mask:
        payload = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
    return first & 0x0F, payload


def read_message(sock):
    """The next text message as JSON, skipping pings and pongs; None on a close frame."""
    while True:
        opcode, payload = read_frame(sock)
        if opcode == 0x8:
            return None
        if opcode == 0x1:
            return json.loads(payload.decode())


def frame(payload, opcode=0x1, masked=False):
    head = bytes([0x80 | opcode])
    mask_bit = 0x80 if masked else 0
    if len(payload) < 126:
        head += bytes([mask_bit | len(payload)])
    elif len(payload) < 1 << 16:
        head += bytes([mask_bit | 126]) + struct.pack("!H", len(payload))
    else:
        head += bytes([mask_bit | 127]) + struct.pack("!Q", len(payload))
    if not masked:
        return head + payload
    mask = os.urandom(4)
    return head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload))


class StandIn:
    """A stand-in for the monitor's mirror: serves the page from PAGE_DIR under /KEY/ with the
    monitor's headers and, to every WebSocket on /KEY/live, sends MESSAGES (JSON values) and then
    holds the connection open until stop(), saying every two seconds that nothing changed, as the
    monitor does; with HEARTBEAT false it says nothing more, as a network that dropped."""

    def __init__(self, page_dir, key, messages, heartbeat=True):
        self.page_dir, self.key, self.messages = page_dir, key, messages
        self.heartbeat = heartbeat
        self.closing = threading.Event()
        stand_in = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                stand_in.answer(self)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/{key}/"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def answer(self, handler):
        prefix = f"/{self.key}/"
        if not handler.path.startswith(prefix):
            return self.reply(handler, 403, b"", "text/plain")
        name = handler.path[len(prefix):]
        if name == "live" and handler.headers.get("Upgrade", "").lower() == "websocket":
            return self.live(handler)
        if name not in PAGE_FILES:
            return self.reply(handler, 404, b"", "text/plain")
        with open(os.path.join(self.page_dir, PAGE_FILES[name]), "rb") as page_file:
            self.reply(handler, 200, page_file.read(), PAGE_TYPES[name])

    @staticmethod
    def reply(handler, status, body, content_type):
        handler.send_response(status)
        for header, value in SECURITY_HEADERS.items():
            handler.send_header(header, value)
        handler.send_header("Content-Type", content_type)
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        handler.wfile.write(body)

    def live(self, handler):
        handler.send_response(101)
        handler.send_header("Upgrade", "websocket")
        handler.send_header("Connection", "Upgrade")
        handler.send_header("Sec-WebSocket-Accept", accept_value(handler.headers["Sec-WebSocket-Key"]))
        handler.end_headers()
        handler.wfile.flush()
        for message in self.messages:
            text = message if isinstance(message, str) else json.dumps(message)
            handler.wfile.write(frame(text.encode()))
        handler.wfile.flush()
        unchanged = frame(json.dumps({"type": "panel", "full": False, "controls": []}).encode())
        while not self.closing.wait(2):
            if self.heartbeat:
                handler.wfile.write(unchanged)
                handler.wfile.flush()
        handler.close_connection = True

    def stop(self):
        self.closing.set()
        self.server.shutdown()
        self.server.server_close()
