#!/usr/bin/env python3
"""Local stand-in for the school platform: sign-in and records services, the province archive
servers (/first, /second) and the update service (/update), all on one loopback port.

  simulator.py --daemon --port-file FILE [--fixture FILE] [--log FILE]
  simulator.py --stop --port-file FILE
  simulator.py [--port-file FILE] ...          (foreground; prints the port)

The port also answers https (tls/cert.pem, self-signed for 127.0.0.1).

Control endpoints (JSON): POST /_sim/reset, GET /_sim/requests, POST /_sim/fault,
POST /_sim/fixture, POST /_sim/shutdown. Every address may be prefixed with /_lane/<id> to use a
private copy of the whole state.
"""

import argparse
import json
import os
import re
import select
import signal
import socket
import ssl
import sys
import threading
import time
import traceback
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import services  # noqa: E402
import update  # noqa: E402
from records import make_record, parse_multipart, parse_query, split_target  # noqa: E402
from services import Reply, html_reply, json_reply  # noqa: E402
from state import Lanes, check_fault, split_lane  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
MAX_BODY = 64 << 20
HANG_LIMIT = 600.0

ROUTES = {
    ("GET", "/sso/authorize"): services.sign_in,
    ("GET", "/api/CheckLogin/checkUsername"): services.check_username,
    ("GET", "/api/ClientPublic/getSchoolUserType"): services.school_user_type,
    ("GET", "/api/CheckLogin/getProviceIP"): services.province_servers,
    ("GET", "/first/api/Ef/checkFileno"): services.check_file_number,
    ("GET", "/second/api/Ef/checkFileno"): services.check_file_number,
    ("POST", "/first/index.php"): services.upload_first,
    ("POST", "/second/api/Ef/upload"): services.upload_second,
}
VERSION_PATH = "/update/version/interfaces/version/getVersionInfo.htm"
PACKAGE_PREFIX = "/update/pkg/"


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, fixture, packages, log):
        super().__init__(("127.0.0.1", 0), Handler)
        # The same port answers https with a self-signed certificate for 127.0.0.1, which no
        # trust store vouches for: clients that check certificates must refuse it.
        self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.tls.load_cert_chain(os.path.join(HERE, "tls", "cert.pem"),
                                 os.path.join(HERE, "tls", "key.pem"))
        self.lanes = Lanes(fixture)
        self.packages = packages
        self.log = log
        self.log_lock = threading.Lock()

    def write_log(self, line):
        if self.log:
            with self.log_lock:
                self.log.write(time.strftime("%H:%M:%S ") + line + "\n")
                self.log.flush()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "NTSim/1.0"
    timeout = 120  # an idle keep-alive connection ends after this

    def log_message(self, fmt, *args):
        self.server.write_log(fmt % args)

    def setup(self):
        # A TLS client speaks first, with a handshake record (0x16); anything else is HTTP.
        self.handshake_failed = False
        self.request.settimeout(self.timeout)
        try:
            if self.request.recv(1, socket.MSG_PEEK) == b"\x16":
                self.request = self.server.tls.wrap_socket(self.request, server_side=True)
        except (OSError, ssl.SSLError):
            self.handshake_failed = True  # e.g. the client refused the certificate
        super().setup()

    def handle(self):
        if not self.handshake_failed:
            super().handle()

    def parse_request(self):
        # The base class splits the request line with str.split(), which also splits at bytes
        # such as 0x85 and 0xA0 of a non-ASCII path sent unescaped. Keep the raw target and let
        # the base class see those bytes escaped.
        line = self.raw_requestline.rstrip(b"\r\n")
        first, last = line.find(b" "), line.rfind(b" ")
        self.raw_target = line[first + 1 : last] if 0 <= first < last else b"/"
        self.raw_requestline = re.sub(rb"[\x1c-\x1f\x80-\xff]",
                                      lambda m: b"%%%02X" % m.group()[0], self.raw_requestline)
        return super().parse_request()

    def do_GET(self):
        self._handle("GET")

    def do_POST(self):
        self._handle("POST")

    def do_PUT(self):
        self._handle("PUT")

    def _handle(self, method):
        body = self._read_body()
        if body is None:
            self._send(html_reply(400, "Bad Request"), close=True)
            return
        lane_id, target, prefix = split_lane(origin_form(self.raw_target))
        lane = self.server.lanes.get(lane_id)
        if lane is None:
            self._send(html_reply(503, "Too Many Lanes"))
            return
        raw_path, raw_query = split_target(target)
        path = raw_path.decode("latin-1")
        if path.startswith("/_sim/"):
            self._send(self._control(lane, method, path, body))
            return
        parts = parse_multipart(self.headers.get("Content-Type", ""), body)
        lane.record(make_record(method, target, self._header_dict(), body, parts))
        fault, released = lane.take_fault(path)
        kind = fault["kind"] if fault else None
        if kind == "hang":
            self._hang(released)
            return
        if kind in ("html404", "html500", "notjson", "refuse", "reply"):
            self._send(_fault_reply(fault))
            return
        base = "http://127.0.0.1:%d%s" % (self.server.server_address[1], prefix)
        try:
            reply = self._serve(lane.fixture(), method, path, parse_query(raw_query), body, parts,
                                base, kind == "ignore_range")
        except Exception:  # a fixture shape the services do not expect: say so, stay up
            self.server.write_log(traceback.format_exc())
            reply = html_reply(500, "Simulator Error")
        if kind == "short":
            self._send(reply, announce=len(reply.body) + fault.get("extra", 100), close=True)
        elif kind == "drop":
            self._send(reply, cut=fault.get("bytes", 0), close=True)
        else:
            self._send(reply)

    def _serve(self, fixture, method, path, query, body, parts, base, ignore_range):
        service = ROUTES.get((method, path))
        if service:
            return service(fixture, query, parts, base)
        if path == VERSION_PATH and method == "POST":
            return update.version_check(fixture, self.headers.get("Content-Type", ""), body, base)
        if path.startswith(PACKAGE_PREFIX) and method == "GET":
            return update.serve_package(self.server.packages, fixture,
                                        path[len(PACKAGE_PREFIX):].encode("latin-1"),
                                        self.headers.get("Range"), ignore_range)
        if any(p == path for (_, p) in ROUTES) or path == VERSION_PATH:
            return html_reply(405, "Method Not Allowed")
        return html_reply(404, "Not Found")

    def _control(self, lane, method, path, body):
        if method == "GET" and path == "/_sim/requests":
            return json_reply({"requests": lane.requests()})
        if method != "POST":
            return json_reply({"ok": False, "error": "unknown control request"}, 404)
        if path == "/_sim/reset":
            lane.reset()
            return json_reply({"ok": True})
        if path == "/_sim/shutdown":
            self.server.lanes.release_all()
            threading.Thread(target=self.server.shutdown, daemon=True).start()
            return json_reply({"ok": True})
        try:
            payload = json.loads(body.decode("utf-8")) if body else {}
        except (UnicodeDecodeError, ValueError) as e:
            return json_reply({"ok": False, "error": "body is not JSON: %s" % e}, 400)
        if path == "/_sim/fault":
            error = check_fault(payload)
            if error is None:
                lane.add_fault(payload)
        elif path == "/_sim/fixture":
            error = ("the fixture must be a JSON object" if not isinstance(payload, dict)
                     else lane.merge_fixture(payload, self.server.packages.check))
        else:
            return json_reply({"ok": False, "error": "unknown control request"}, 404)
        if error:
            return json_reply({"ok": False, "error": error}, 400)
        return json_reply({"ok": True})

    def _read_body(self):
        """The request body (chunked or by Content-Length); None when it is malformed."""
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            body = bytearray()
            while True:
                line = self.rfile.readline(1024)
                try:
                    size = int(line.split(b";")[0].strip(), 16)
                except ValueError:
                    return None
                if size == 0:
                    for _ in range(100):  # trailer lines
                        if self.rfile.readline(1024) in (b"\r\n", b"\n", b""):
                            return bytes(body)
                    return None
                if len(body) + size > MAX_BODY:
                    return None
                body += self.rfile.read(size)
                self.rfile.readline(1024)
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            return None
        if not 0 <= length <= MAX_BODY:
            return None
        body = self.rfile.read(length) if length else b""
        return body if len(body) == length else None

    def _header_dict(self):
        out = {}
        for name, value in self.headers.items():
            out[name] = out[name] + ", " + value if name in out else value
        return out

    def _hang(self, released):
        """Answers nothing until reset, shutdown, the client going away or HANG_LIMIT."""
        self.close_connection = True
        deadline = time.monotonic() + HANG_LIMIT
        conn = self.connection
        while not released.is_set() and time.monotonic() < deadline:
            readable, _, _ = select.select([conn], [], [], 0.2)
            if readable:
                try:
                    if not conn.recv(4096):
                        break
                except OSError:
                    break

    def _send(self, reply, announce=None, cut=None, close=False):
        self.send_response(reply.status)
        for name, value in reply.headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(announce if announce is not None
                                                else len(reply.body)))
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        try:
            self.wfile.write(reply.body if cut is None else reply.body[:cut])
            self.wfile.flush()
        except OSError:
            self.close_connection = True


def origin_form(raw_target):
    """An absolute-form target (http://host:port/path), as proxies' clients send it, without
    its scheme and authority."""
    if raw_target[:7].lower() != b"http://":
        return raw_target
    slash = raw_target.find(b"/", 7)
    return raw_target[slash:] if slash >= 0 else b"/"


def _fault_reply(fault):
    kind = fault["kind"]
    if kind == "html404":
        return html_reply(404, "Not Found")
    if kind == "html500":
        return html_reply(500, "Internal Server Error")
    if kind == "notjson":
        return Reply(200, [("Content-Type", "text/plain")], b"Service busy, try again later.")
    if kind == "refuse":
        return services.refusal(fault.get("code", 1), fault.get("message", "请求被拒绝"))
    return Reply(fault.get("status", 200),
                 [("Content-Type", fault.get("content_type", "application/json; charset=utf-8"))],
                 fault.get("body", "").encode("utf-8"))


def load_fixture(path, packages):
    try:
        with open(path, encoding="utf-8") as f:
            fixture = json.load(f)
    except (OSError, ValueError) as e:
        return None, "cannot read fixture %s: %s" % (path, e)
    if not isinstance(fixture, dict):
        return None, "fixture %s is not a JSON object" % path
    error = packages.check(fixture)
    return (None, error) if error else (fixture, None)


def write_file(path, text):
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        f.write(text + "\n")
    os.replace(tmp, path)


def _is_running_simulator(pid):
    """True while pid is a live (not zombie) simulator process; it may not have been reaped
    when its parent is a container's init."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            state = f.read().rpartition(")")[2].split()[0]
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            cmdline = f.read()
    except (OSError, IndexError):
        return False
    return state != "Z" and b"simulator.py" in cmdline


def stop(port_file):
    try:
        with open(port_file) as f:
            port = int(f.read().strip())
    except (OSError, ValueError):
        print("simulator: nothing to stop (no port file %s)" % port_file)
        return 0
    pid = None
    try:
        with open(port_file + ".pid") as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        pass
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
            s.sendall(b"POST /_sim/shutdown HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                      b"Content-Length: 0\r\nConnection: close\r\n\r\n")
            s.recv(1024)
    except OSError:
        pass
    if pid is not None:
        for _ in range(50):
            if not _is_running_simulator(pid):
                break
            time.sleep(0.1)
        else:
            os.kill(pid, signal.SIGTERM)
    for path in (port_file, port_file + ".pid"):
        try:
            os.remove(path)
        except OSError:
            pass
    print("simulator on port %d stopped" % port)
    return 0


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--daemon", action="store_true", help="detach once listening")
    ap.add_argument("--stop", action="store_true", help="stop the simulator of --port-file")
    ap.add_argument("--port-file", help="file that receives the port number")
    ap.add_argument("--fixture", default=os.path.join(HERE, "fixture.json"))
    ap.add_argument("--log", help="append one line per request to this file")
    args = ap.parse_args(argv)
    if (args.daemon or args.stop) and not args.port_file:
        ap.error("--daemon and --stop need --port-file")
    if args.stop:
        return stop(args.port_file)
    if args.daemon and os.path.exists(args.port_file):
        stop(args.port_file)  # one simulator per port file

    packages = update.PackageStore(os.path.join(HERE, "packages"))
    fixture, error = load_fixture(args.fixture, packages)
    if error:
        print("simulator: " + error, file=sys.stderr)
        return 1
    log = open(args.log, "a", encoding="utf-8") if args.log else None
    server = Server(fixture, packages, log)
    port = server.server_address[1]
    if args.daemon:
        sys.stdout.flush()
        pid = os.fork()
        if pid:
            server.socket.close()
            write_file(args.port_file + ".pid", str(pid))
            write_file(args.port_file, str(port))
            print("simulator listening on 127.0.0.1:%d (pid %d)" % (port, pid))
            return 0
        os.setsid()
        os.chdir("/")
        # Let go of the caller's terminal and pipes, or ctest would wait for us.
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
    else:
        if args.port_file:
            write_file(args.port_file, str(port))
        print(port, flush=True)
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    server.lanes.release_all()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
