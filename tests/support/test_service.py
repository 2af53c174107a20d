#!/usr/bin/env python3
"""Local stand-in for the maker's web service, used by the tests.

Three listeners on 127.0.0.1:
  port      HTTPS with a certificate for "localhost" signed by the test CA
  port + 1  HTTPS with a certificate for another host name (must be refused)
  port + 2  plain HTTP, same routes (control calls from the tests use it)

Tests program answers with POST /_test/route and read what the programs sent
with GET /_test/requests. Everything else is answered by the routes below.
"""

import argparse
import base64
import gzip
import json
import os
import ssl
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

lock = threading.Lock()
routes = {}      # (method or "*", path) -> answer description
requests = []    # every request that is not a control call
reports = {}     # report key -> body (see /report.php)
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

    def dispatch(self):
        body = self.read_body()
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path.startswith("/_test/"):
            return self.control(url.path, body)
        record(self, body)
        with lock:
            route = routes.get((self.command, url.path)) or routes.get(("*", url.path))
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
            spec = json.loads(body or b"{}")
            with lock:
                routes[(spec.get("method", "*"), spec["path"])] = spec
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
            return self.answer(200, b"ok")
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


BUILTINS = {
    "/echo": echo,
    "/redirect": redirect,
    "/slow": slow,
    "/setcookie": set_cookie,
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
