#!/usr/bin/env python3
"""Local stand-in for the maker's web service, used by the tests.

Three listeners on 127.0.0.1:
  port      HTTPS with a certificate for "localhost" signed by the test CA
  port + 1  HTTPS with a certificate for another host name (must be refused)
  port + 2  plain HTTP, same routes (control calls from the tests use it)

Tests program answers with POST /_test/route and read what the programs sent
with GET /_test/requests. Everything else is answered by the routes below.

The service's own endpoints:
  GET  /api.init.php   start-up answer (program it with a route); a request
                       with "User-Command: hold" is also kept in the hold list
                       (GET /_test/holds)
  POST /report.php     stores the body and answers {"pk":"<key>"}
                       (GET /_test/reports gives every stored body by key)
  GET  /?report=<key>  the result page of a stored report, a small HTML page
"""

import argparse
import base64
import gzip
import html
import json
import os
import ssl
import threading
import time
import urllib.parse
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

lock = threading.Lock()
routes = {}      # (method or "*", path) -> answer description
requests = []    # every request that is not a control call
reports = {}     # report key -> body (see /report.php)
holds = []       # hold requests to /api.init.php
drops = {}       # (method or "*", path) -> connections still to drop
next_key = [1000]
state_dir = None


def record(handler, body):
    entry = {
        "method": handler.command,
        "path": handler.path,
        "headers": [[k, v] for k, v in handler.headers.items()],
        "body_b64": base64.b64encode(body).decode("ascii"),
        "port": handler.server.server_address[1],
        "time": time.time(),
    }
    with lock:
        requests.append(entry)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TidoraTestService/1.0"

    def log_message(self, fmt, *args):
        if state_dir:
            with open(os.path.join(state_dir, "service.log"), "a") as f:
                f.write("%s %s\n" % (self.address_string(), fmt % args))

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def answer(self, status=200, body=b"", headers=None, content_type="text/plain; charset=utf-8"):
        headers = dict(headers or {})
        headers.setdefault("Content-Type", content_type)
        self.send_response(status)
        for k, v in headers.items():
            if isinstance(v, list):
                for item in v:
                    self.send_header(k, item)
            else:
                self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def do_HEAD(self):
        self.dispatch()

    def do_OPTIONS(self):
        self.dispatch()

    def do_DELETE(self):
        self.dispatch()

    def do_PUT(self):
        self.dispatch()

    def dispatch(self):
        body = self.read_body()
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path.startswith("/_test/"):
            return self.control(url.path, body)
        record(self, body)
        if url.path == "/api.init.php" and (self.headers.get("User-Command") or "").lower() == "hold":
            with lock:
                holds.append({"path": self.path, "headers": [[k, v] for k, v in self.headers.items()],
                              "time": time.time()})
        with lock:
            key = (self.command, url.path) if (self.command, url.path) in routes else ("*", url.path)
            route = routes.get(key)
            drop = route is not None and drops.get(key, 0) > 0
            if drop:
                drops[key] -= 1
        if drop:
            # No answer at all: the connection ends before a status line.
            self.close_connection = True
            return
        if route is not None:
            return self.programmed(route)
        builtin = BUILTINS.get(url.path)
        if builtin is not None:
            return builtin(self, query, body)
        self.answer(404, b"<html><body>404 Not Found</body></html>", content_type="text/html")

    def programmed(self, route):
        time.sleep(float(route.get("delay", 0)))
        if "body_b64" in route:
            data = base64.b64decode(route["body_b64"])
        else:
            data = route.get("body", "").encode(route.get("encoding", "utf-8"))
        headers = dict(route.get("headers", {}))
        if route.get("gzip"):
            data = gzip.compress(data)
            headers["Content-Encoding"] = "gzip"
        self.answer(int(route.get("status", 200)), data, headers,
                    route.get("content_type", "text/plain; charset=utf-8"))

    def control(self, path, body):
        if path == "/_test/route":
            route = json.loads(body or b"{}")
            with lock:
                key = (route.get("method", "*"), route["path"])
                routes[key] = route
                drops[key] = int(route.get("drop", 0))
            return self.answer(200, b"ok")
        if path == "/_test/requests":
            with lock:
                data = json.dumps(requests).encode()
            return self.answer(200, data, content_type="application/json")
        if path == "/_test/reset":
            with lock:
                routes.clear()
                requests.clear()
                reports.clear()
                holds.clear()
                drops.clear()
            return self.answer(200, b"ok")
        if path == "/_test/reports":
            with lock:
                data = json.dumps(reports).encode()
            return self.answer(200, data, content_type="application/json")
        if path == "/_test/holds":
            with lock:
                data = json.dumps(holds).encode()
            return self.answer(200, data, content_type="application/json")
        if path == "/_test/ping":
            return self.answer(200, b"pong")
        self.answer(404, b"no such control call")


def echo(handler, query, body):
    data = json.dumps({
        "method": handler.command,
        "path": handler.path,
        "headers": [[k, v] for k, v in handler.headers.items()],
        "body": body.decode("utf-8", "replace"),
    }).encode()
    handler.answer(200, data, content_type="application/json")


def redirect(handler, query, body):
    # /redirect?n=K&to=/path: K more hops, then to the target.
    n = int(query.get("n", ["1"])[0])
    to = query.get("to", ["/echo"])[0]
    code = int(query.get("code", ["302"])[0])
    target = to if n <= 1 else "/redirect?" + urllib.parse.urlencode({"n": n - 1, "to": to, "code": code})
    handler.answer(code, b"", {"Location": target})


def slow(handler, query, body):
    time.sleep(float(query.get("s", ["5"])[0]))
    handler.answer(200, b"slow answer")


def set_cookie(handler, query, body):
    cookies = ["%s=%s; Path=/" % (k, v[0]) for k, v in query.items()]
    handler.answer(200, b"cookie set", {"Set-Cookie": cookies})


STARTUP_ANSWER = {"update": "", "info": {"style": "", "text": "", "flag": "", "url": ""},
                  "file_white": [], "name_white": [], "name_black": []}


def api_init(handler, query, body):
    handler.answer(200, json.dumps(STARTUP_ANSWER, separators=(",", ":")).encode(),
                   content_type="text/html; charset=UTF-8")


def report(handler, query, body):
    if handler.command != "POST":
        return handler.answer(405, b'{"result":"error"}', content_type="application/json")
    with lock:
        next_key[0] += 1
        key = str(next_key[0])
        reports[key] = body.decode("utf-8", "replace")
    handler.answer(200, json.dumps({"result": "ok", "pk": key}, separators=(",", ":")).encode(),
                   content_type="application/json")


def report_summary(text):
    """Memory regained and the processes ended, from a stored report body."""
    records = json.loads(text)
    memory = next((r for r in records if r.get("cate") == "memory"), {})
    regained = int(memory.get("new", 0)) - int(memory.get("old", 0))
    ended = [r["file"] for r in records if r.get("cate") == "clean" and r.get("state") == "-1"]
    return regained, ended


def result_page(handler, query, body):
    key = query.get("report", [None])[0]
    if key is None:
        return handler.answer(200, b"<html><body>Tidora</body></html>", content_type="text/html; charset=utf-8")
    with lock:
        text = reports.get(key)
    if text is None:
        return handler.answer(404, b"<html><body>no such report</body></html>",
                              content_type="text/html; charset=utf-8")
    try:
        regained, ended = report_summary(text)
    except (ValueError, KeyError, TypeError):
        regained, ended = 0, []
    items = "".join("<li>%s</li>" % html.escape(name) for name in ended)
    page = ("<html><head><title>Tidora report %s</title></head><body>"
            "<p id=\"memory\">Memory regained: %d bytes</p>"
            "<p id=\"ended\">Processes ended: %d</p><ul>%s</ul></body></html>"
            % (html.escape(key), regained, len(ended), items))
    handler.answer(200, page.encode("utf-8"), content_type="text/html; charset=utf-8")


KOREAN_TEXT = "\ud55c\uae00 \ub2f5\ubcc0"  # a short Korean answer


def gzip_answer(handler, query, body):
    text = query.get("text", [KOREAN_TEXT])[0]
    handler.answer(200, gzip.compress(text.encode("utf-8")), {"Content-Encoding": "gzip"},
                   content_type="text/plain; charset=utf-8")


def deflated(data, raw):
    # raw=1: the bare deflate stream that some servers send as "deflate";
    # otherwise the zlib-wrapped form the name stands for.
    if raw:
        packer = zlib.compressobj(wbits=-zlib.MAX_WBITS)
        return packer.compress(data) + packer.flush()
    return zlib.compress(data)


def deflate_answer(handler, query, body):
    # /deflate?text=T[&raw=1]
    text = query.get("text", [KOREAN_TEXT])[0]
    raw = query.get("raw", ["0"])[0] == "1"
    handler.answer(200, deflated(text.encode("utf-8"), raw), {"Content-Encoding": "deflate"},
                   content_type="text/plain; charset=utf-8")


def euc_kr_answer(handler, query, body):
    charset = query.get("charset", ["euc-kr"])[0]
    handler.answer(200, KOREAN_TEXT.encode("euc-kr"), content_type="text/plain; charset=" + charset)


def slow_body(handler, query, body):
    # Headers at once, the body after a pause.
    delay = float(query.get("s", ["5"])[0])
    data = b"slow body"
    handler.send_response(200)
    handler.send_header("Content-Type", "text/plain; charset=utf-8")
    handler.send_header("Content-Length", str(len(data)))
    handler.end_headers()
    handler.wfile.flush()
    time.sleep(delay)
    handler.wfile.write(data)


def status_answer(handler, query, body):
    code = int(query.get("code", ["200"])[0])
    handler.answer(code, ("status %d body" % code).encode("utf-8"))


def download(handler, query, body):
    size = int(query.get("size", ["100000"])[0])
    data = bytes((i * 7 + 3) % 256 for i in range(size))
    if query.get("gzip", ["0"])[0] == "1":
        return handler.answer(200, gzip.compress(data), {"Content-Encoding": "gzip"},
                              content_type="application/octet-stream")
    if query.get("deflate", ["0"])[0] in ("1", "raw"):
        return handler.answer(200, deflated(data, query["deflate"][0] == "raw"), {"Content-Encoding": "deflate"},
                              content_type="application/octet-stream")
    handler.answer(200, data, content_type="application/octet-stream")


def proxy_auth(handler, query, body):
    # Stands in for a proxy that wants credentials (requests come in absolute form).
    if not handler.headers.get("Proxy-Authorization"):
        return handler.answer(407, b"proxy credentials needed",
                              {"Proxy-Authenticate": 'Basic realm="test"'})
    echo(handler, query, body)


BUILTINS = {
    "/echo": echo,
    "/redirect": redirect,
    "/slow": slow,
    "/setcookie": set_cookie,
    "/api.init.php": api_init,
    "/report.php": report,
    "/": result_page,
    "/gzip": gzip_answer,
    "/deflate": deflate_answer,
    "/euc-kr": euc_kr_answer,
    "/slowbody": slow_body,
    "/status": status_answer,
    "/download": download,
    "/proxy-auth": proxy_auth,
}


def serve(port, context):
    server = ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    if context is not None:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def main():
    global state_dir
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--wrong-cert", required=True)
    parser.add_argument("--wrong-key", required=True)
    parser.add_argument("--state-dir", required=True)
    args = parser.parse_args()
    state_dir = args.state_dir
    os.makedirs(state_dir, exist_ok=True)
    serve(args.port, tls_context(args.cert, args.key))
    serve(args.port + 1, tls_context(args.wrong_cert, args.wrong_key))
    serve(args.port + 2, None)
    with open(os.path.join(state_dir, "ready"), "w") as f:
        f.write(str(os.getpid()))
    threading.Event().wait()


if __name__ == "__main__":
    main()
