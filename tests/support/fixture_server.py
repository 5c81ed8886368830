#!/usr/bin/env python3
"""A small web server for Norvale's tests, listening on 127.0.0.1 only.

Usage: fixture_server.py --port-file F [--tls-cert C --tls-key K]

It binds a free port, writes the port number to F and serves until it is
killed or its standard input closes. Every answer is chosen by the request's
path and query string, so tests need no set-up calls. Each connection gets its
own thread and carries one request; every answer ends with the connection
closed.

Endpoints (GET; HEAD gets the same head without the body). Every endpoint
accepts delay=MS, waited before anything is sent.

  /page?status=N&reason=TEXT&header=Name:%20value&body=TEXT
      Status N (200), the given header lines as written (repeatable), then
      Content-Length and Connection: close unless given, then the body.
  /raw?data=BASE64URL&trickle=BYTES_PER_SECOND&hold=MS
      Exactly the decoded bytes (padding optional), a stall of MS ms (0),
      then close.
  /silent?ms=N
      Reads the request, sends nothing for N ms (60000), then closes.
  /drop?after=N&length=M&hold=MS&reset=1
      A 200 head claiming Content-Length M (100000), N bytes of body (1000),
      a stall of MS ms (0), then the connection ends (with a reset when
      reset=1).
  /big?size=N&type=T
      A 200 of N bytes (20 MiB) of type T (text/html), streamed.
  /gzipbomb?size=N
      A gzip-encoded HTML body that inflates to N bytes (1 GiB), made as it
      is sent; no Content-Length.
  /gzip?body=TEXT
      The body gzip-compressed, with Content-Encoding: gzip.
  /redirect?to=URL&status=302&pad=N
      A redirect to URL followed by N letters "a" (0), with an empty body.
  /loop
      A 301 to /loop.
  /hops?n=N
      A 302 to /hops?n=N-1 while N is above 0, else an empty 200: a chain
      of exactly N redirects.
  /echo
      The request head as received (start line, header lines and the empty
      line ending them) as a text/plain body.
  /count?path=P&target=T
      How many requests came before, /count's own not included; with path,
      only those whose path is P; with target, only those whose path and
      query are exactly T.
  /peak?path=P
      The most requests for path P that were waiting at once so far, each
      from its head read until its answer begins (after any delay).
  anything else
      404 with a small HTML page.

A request in absolute form ("GET http://host/page HTTP/1.1", as sent to a
forward proxy) is served from its path and query the same way, and every
answer built here (all but /raw and /silent) then carries
"X-Fixture-Via-Proxy: 1".
"""

import argparse
import base64
import collections
import gzip
import http
import os
import socket
import ssl
import struct
import sys
import threading
import time
import traceback
import urllib.parse
import zlib

MAX_HEAD = 1024 * 1024
REQUEST_TIMEOUT = 60.0
CHUNK = 64 * 1024

_count_lock = threading.Lock()
_count_total = 0
_count_paths = collections.Counter()
_count_targets = collections.Counter()
_open_paths = collections.Counter()
_peak_paths = collections.Counter()


class BadRequest(Exception):
    pass


class Request:
    def __init__(self, head):
        self.head = head
        line_end = head.find(b"\n")
        start_line = head[:line_end].rstrip(b"\r").decode("latin-1")
        parts = start_line.split(" ")
        if len(parts) != 3:
            raise BadRequest("bad request line: %r" % start_line)
        self.method, self.target, self.version = parts
        self.via_proxy = "://" in self.target.split("?", 1)[0]
        if self.via_proxy:
            split = urllib.parse.urlsplit(self.target)
            self.path = split.path or "/"
            self.query_string = split.query
        else:
            self.path, _, self.query_string = self.target.partition("?")
        self.path_and_query = self.path + ("?" + self.query_string if self.query_string else "")
        self.query = urllib.parse.parse_qsl(self.query_string, keep_blank_values=True)

    def all(self, name):
        return [value for key, value in self.query if key == name]

    def text(self, name, default=None):
        values = self.all(name)
        return values[-1] if values else default

    def number(self, name, default):
        value = self.text(name)
        if value is None or value == "":
            return default
        try:
            return int(value)
        except ValueError:
            raise BadRequest("%s is not a number: %r" % (name, value))

    @property
    def head_only(self):
        return self.method == "HEAD"


def read_head(conn):
    """Reads up to the empty line ending the request head; None if the client
    leaves first or sends too much."""
    data = b""
    while True:
        for ending in (b"\r\n\r\n", b"\n\n"):
            at = data.find(ending)
            if at >= 0:
                return data[: at + len(ending)]
        if len(data) > MAX_HEAD:
            return None
        chunk = conn.recv(65536)
        if not chunk:
            return None
        data += chunk


def status_line(status, reason=None):
    if reason is None:
        try:
            reason = http.HTTPStatus(status).phrase
        except ValueError:
            reason = "Unknown"
    return ("HTTP/1.1 %d %s\r\n" % (status, reason)).encode("latin-1")


def build_head(request, status, headers, length=None, reason=None):
    """The response head: status line, headers as given, then Content-Length
    (when known) and Connection: close unless the headers already have them."""
    names = {h.split(":", 1)[0].strip().lower() for h in headers}
    lines = list(headers)
    if length is not None and "content-length" not in names:
        lines.append("Content-Length: %d" % length)
    if "connection" not in names:
        lines.append("Connection: close")
    if request.via_proxy:
        lines.append("X-Fixture-Via-Proxy: 1")
    head = status_line(status, reason)
    for line in lines:
        head += line.encode("utf-8") + b"\r\n"
    return head + b"\r\n"


def respond(conn, request, status, headers, body=b"", reason=None):
    head = build_head(request, status, headers, len(body), reason)
    conn.sendall(head if request.head_only else head + body)


def filler(prefix, size, fill=b"x"):
    """Yields size bytes, prefix first then fill bytes, a chunk at a time."""
    first = prefix[:size]
    if first:
        yield first
    left = size - len(first)
    block = fill * CHUNK
    while left > 0:
        piece = block[: min(left, CHUNK)]
        yield piece
        left -= len(piece)


def serve_page(conn, request):
    status = request.number("status", 200)
    body = request.text("body", "").encode("utf-8")
    # title=T&repeat=N: a page titled T written N times (long titles with
    # short addresses).
    if request.text("title") is not None:
        title = request.text("title") * request.number("repeat", 1)
        body = ("<html><head><title>%s</title></head></html>" % title).encode("utf-8")
    headers = list(request.all("header"))
    # padheaders=N adds about N bytes of filler header lines.
    padding = request.number("padheaders", 0)
    for index in range(0, padding, 4000):
        headers.append("X-Padding-%d: %s" % (index, "h" * min(4000, padding - index)))
    respond(conn, request, status, headers, body, request.text("reason"))


def serve_raw(conn, request):
    data = request.text("data", "")
    try:
        raw = base64.urlsafe_b64decode(data + "=" * (-len(data) % 4))
    except ValueError:
        raise BadRequest("data is not base64url")
    trickle = request.number("trickle", 0)
    if trickle <= 0:
        conn.sendall(raw)
    else:
        step = max(1, trickle // 20)
        for at in range(0, len(raw), step):
            piece = raw[at : at + step]
            conn.sendall(piece)
            if at + step < len(raw):
                time.sleep(len(piece) / trickle)
    time.sleep(request.number("hold", 0) / 1000.0)


def serve_silent(conn, request):
    time.sleep(request.number("ms", 60000) / 1000.0)


def serve_drop(conn, request):
    length = request.number("length", 100000)
    after = request.number("after", 1000)
    head = build_head(request, 200, ["Content-Type: text/html"], length)
    conn.sendall(head)
    if not request.head_only:
        for piece in filler(b"<html><head><title>Drop</title></head>", after):
            conn.sendall(piece)
    time.sleep(request.number("hold", 0) / 1000.0)
    if request.text("reset") == "1":
        return "reset"
    return "abrupt"


def serve_big(conn, request):
    size = request.number("size", 20 * 1024 * 1024)
    kind = request.text("type", "text/html")
    conn.sendall(build_head(request, 200, ["Content-Type: " + kind], size))
    if not request.head_only:
        for piece in filler(b"<html><title>Big</title>", size):
            conn.sendall(piece)


def serve_gzipbomb(conn, request):
    size = request.number("size", 1024 * 1024 * 1024)
    headers = ["Content-Type: text/html", "Content-Encoding: gzip"]
    conn.sendall(build_head(request, 200, headers))
    if request.head_only:
        return
    packer = zlib.compressobj(9, zlib.DEFLATED, 31)
    for piece in filler(b"<html><head><title>Bomb</title></head>", size, b"\0"):
        out = packer.compress(piece)
        if out:
            conn.sendall(out)
    conn.sendall(packer.flush())


def serve_gzip(conn, request):
    body = gzip.compress(request.text("body", "").encode("utf-8"))
    headers = ["Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"]
    respond(conn, request, 200, headers, body)


def serve_redirect(conn, request):
    status = request.number("status", 302)
    location = request.text("to", "/") + "a" * request.number("pad", 0)
    respond(conn, request, status, ["Location: " + location])


def serve_loop(conn, request):
    respond(conn, request, 301, ["Location: /loop"])


def serve_hops(conn, request):
    left = request.number("n", 0)
    if left > 0:
        respond(conn, request, 302, ["Location: /hops?n=%d" % (left - 1)])
    else:
        respond(conn, request, 200, ["Content-Type: text/html"])


def serve_echo(conn, request):
    respond(conn, request, 200, ["Content-Type: text/plain"], request.head)


def serve_count(conn, request):
    path = request.text("path")
    target = request.text("target")
    with _count_lock:
        if target is not None:
            count = _count_targets[target]
        elif path is not None:
            count = _count_paths[path]
        else:
            count = _count_total
    respond(conn, request, 200, ["Content-Type: text/plain"], str(count).encode("ascii"))


def serve_peak(conn, request):
    with _count_lock:
        peak = _peak_paths[request.text("path", "")]
    respond(conn, request, 200, ["Content-Type: text/plain"], str(peak).encode("ascii"))


def serve_not_found(conn, request):
    body = b"<html><head><title>404 Not Found</title></head></html>"
    respond(conn, request, 404, ["Content-Type: text/html"], body)


ENDPOINTS = {
    "/page": serve_page,
    "/raw": serve_raw,
    "/silent": serve_silent,
    "/drop": serve_drop,
    "/big": serve_big,
    "/gzipbomb": serve_gzipbomb,
    "/gzip": serve_gzip,
    "/redirect": serve_redirect,
    "/loop": serve_loop,
    "/echo": serve_echo,
    "/count": serve_count,
    "/hops": serve_hops,
    "/peak": serve_peak,
}


def count(request):
    global _count_total
    if request.path == "/count":
        return
    with _count_lock:
        _count_total += 1
        _count_paths[request.path] += 1
        _count_targets[request.path_and_query] += 1
        _open_paths[request.path] += 1
        _peak_paths[request.path] = max(_peak_paths[request.path], _open_paths[request.path])


def uncount(request):
    if request.path == "/count":
        return
    with _count_lock:
        _open_paths[request.path] -= 1


def finish(conn, how):
    """Ends the connection: a reset, a bare FIN, or a FIN (after the TLS
    close_notify) followed by reading what the client still sends, so that
    unread bytes do not turn the close into a reset."""
    try:
        if how == "reset":
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return
        if how == "graceful" and isinstance(conn, ssl.SSLSocket):
            conn.settimeout(2.0)
            try:
                conn = conn.unwrap()
            except (OSError, ValueError):
                pass
        conn.shutdown(socket.SHUT_WR)
        if how == "graceful":
            conn.settimeout(2.0)
            deadline = time.monotonic() + 2.0
            while time.monotonic() < deadline and conn.recv(65536):
                pass
    except OSError:
        pass
    finally:
        try:
            conn.close()
        except OSError:
            pass


def handle(conn, tls):
    how = "graceful"
    try:
        conn.settimeout(REQUEST_TIMEOUT)
        if tls is not None:
            try:
                conn = tls.wrap_socket(conn, server_side=True)
            except (OSError, ssl.SSLError):
                return
        head = read_head(conn)
        if head is None:
            return
        try:
            request = Request(head)
            count(request)
            try:
                conn.settimeout(None)
                delay = request.number("delay", 0)
                if delay > 0:
                    time.sleep(delay / 1000.0)
            finally:
                uncount(request)
            how = ENDPOINTS.get(request.path, serve_not_found)(conn, request) or how
        except BadRequest as error:
            print("fixture server: %s" % error, file=sys.stderr, flush=True)
            body = ("bad fixture request: %s\n" % error).encode("utf-8")
            head = b"HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain\r\n"
            head += b"Content-Length: %d\r\nConnection: close\r\n\r\n" % len(body)
            conn.sendall(head + body)
    except (ConnectionError, socket.timeout, ssl.SSLError):
        how = "abrupt"
    except Exception:
        how = "abrupt"
        traceback.print_exc(file=sys.stderr)
        sys.stderr.flush()
    finally:
        finish(conn, how)


def watch_stdin():
    try:
        while sys.stdin.buffer.read(4096):
            pass
    except OSError:
        pass
    os._exit(0)


def main():
    parser = argparse.ArgumentParser(description="Web server for Norvale's tests.")
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    args = parser.parse_args()
    if bool(args.tls_cert) != bool(args.tls_key):
        parser.error("--tls-cert and --tls-key go together")

    tls = None
    if args.tls_cert:
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        try:
            tls.load_cert_chain(args.tls_cert, args.tls_key)
        except (OSError, ssl.SSLError) as error:
            message = "fixture server: cannot load %s and %s: %s"
            sys.exit(message % (args.tls_cert, args.tls_key, error))
        tls.set_alpn_protocols(["http/1.1"])

    listener = socket.create_server(("127.0.0.1", 0), backlog=128)
    port = listener.getsockname()[1]
    with open(args.port_file + ".tmp", "w") as out:
        out.write("%d\n" % port)
    os.replace(args.port_file + ".tmp", args.port_file)

    threading.Thread(target=watch_stdin, daemon=True).start()
    while True:
        try:
            conn, _ = listener.accept()
        except InterruptedError:
            continue
        except OSError as error:
            print("fixture server: accept: %s" % error, file=sys.stderr, flush=True)
            time.sleep(0.05)
            continue
        threading.Thread(target=handle, args=(conn, tls), daemon=True).start()


if __name__ == "__main__":
    main()
