#!/usr/bin/env python3
"""A web server for Norvale's tests on 127.0.0.1: binds a free port, prints
it, serves (with TLS, given a certificate and a key file) until its standard
input closes. One request a connection, each answer chosen by
path and query; every one takes delay=MS, waited before anything is sent:
  /page?status=N&header=H&body=TEXT  (title=T&repeat=N, padheaders=N)
  /raw?data=BASE64URL&trickle=B&hold=MS  those bytes (B a second), stall, close
  /silent?ms=N                       nothing for N ms, then close
  /drop?after=N&length=M&hold=MS     a body cut short of its Content-Length
  /big?size=N                        a 200 of N bytes of HTML
  /gzipbomb?size=N, /gzip?body=TEXT  gzip bodies (the bomb inflates to N)
  /redirect?to=URL&status=302&pad=N  a redirect (N letters "a" appended)
  /loop, /hops?n=N&status=S          a 301 to itself; a chain of N redirects (302)
  /echo                              the request head as the body
  /count?path=P, /peak?path=P        requests so far; most waiting at once
  anything else                      404
HEAD gets the head alone; a request in absolute form (as sent to a proxy) is
served from its path and query the same way.
"""

import base64, collections, gzip, http, os, socket, ssl, sys, threading, time, traceback, zlib
import urllib.parse

MAX_HEAD = 1024 * 1024
CHUNK = 64 * 1024

_lock = threading.Lock()
_total = 0
_paths = collections.Counter()  # requests per path
_open = collections.Counter()  # requests per path waiting now
_peak = collections.Counter()  # the most of them waiting at once
_flaky = {}  # /flaky key: (requests so far, time of the first)


class BadRequest(Exception):
    """A request the server cannot make sense of: answered with a 400."""


class Request:
    def __init__(self, head):
        self.head = head
        start_line = head[: head.find(b"\n")].rstrip(b"\r").decode("latin-1")
        parts = start_line.split(" ")
        if len(parts) != 3:
            raise BadRequest("bad request line: %r" % start_line)
        self.method, target, _ = parts
        if "://" in target.split("?", 1)[0]:  # absolute form, as sent to a proxy
            split = urllib.parse.urlsplit(target)
            self.path, query = split.path or "/", split.query
        else:
            self.path, _, query = target.partition("?")
        self.query = urllib.parse.parse_qsl(query, keep_blank_values=True)
        self.head_only = self.method == "HEAD"

    def text(self, name, default=None):
        return dict(self.query).get(name, default)  # the last one of that name

    def number(self, name, default):
        value = self.text(name)
        try:
            return default if not value else int(value)
        except ValueError:
            raise BadRequest("%s is not a number: %r" % (name, value))


def read_head(conn):
    """The request head up to its empty line; None if the client leaves
    first or sends too much."""
    data = b""
    while len(data) <= MAX_HEAD:
        for ending in (b"\r\n\r\n", b"\n\n"):
            if ending in data:
                return data[: data.find(ending) + len(ending)]
        chunk = conn.recv(65536)
        if not chunk:
            break
        data += chunk


def build_head(status, headers, length=None):
    """Status line, the headers as given, then Content-Length (when known)
    and Connection: close unless the headers already have them."""
    names = {h.split(":", 1)[0].strip().lower() for h in headers}
    lines = list(headers)
    if length is not None and "content-length" not in names:
        lines.append("Content-Length: %d" % length)
    if "connection" not in names:
        lines.append("Connection: close")
    reason = http.HTTPStatus(status).phrase if status in iter(http.HTTPStatus) else "Unknown"
    text = "HTTP/1.1 %d %s\r\n" % (status, reason) + "".join(l + "\r\n" for l in lines)
    return text.encode("utf-8") + b"\r\n"


def respond(conn, request, status, headers, body=b""):
    head = build_head(status, headers, len(body))
    conn.sendall(head if request.head_only else head + body)


def stream(conn, request, prefix, size, fill=b"x", packer=None):
    """Sends size bytes, prefix first then fill bytes, a chunk at a time,
    through the compressor when there is one."""
    if request.head_only:
        return
    pieces = [prefix[:size]]
    left = size - len(pieces[0])
    while pieces:
        piece = pieces.pop()
        conn.sendall(packer.compress(piece) if packer else piece)
        if left > 0:
            pieces.append(fill * min(left, CHUNK))
            left -= len(pieces[0])
    if packer:
        conn.sendall(packer.flush())


def serve_page(conn, request):
    body = request.text("body", "").encode("utf-8")
    if request.text("title") is not None:  # a title written repeat times
        title = request.text("title") * request.number("repeat", 1)
        body = ("<html><head><title>%s</title></head></html>" % title).encode("utf-8")
    headers = [value for key, value in request.query if key == "header"]
    padding = request.number("padheaders", 0)  # about this many bytes of header lines
    for at in range(0, padding, 4000):
        headers.append("X-Padding-%d: %s" % (at, "h" * min(4000, padding - at)))
    respond(conn, request, request.number("status", 200), headers, body)


def serve_raw(conn, request):
    data = request.text("data", "")
    try:
        raw = base64.urlsafe_b64decode(data + "=" * (-len(data) % 4))
    except ValueError:
        raise BadRequest("data is not base64url")
    trickle = request.number("trickle", 0)
    step = max(1, trickle // 20) if trickle > 0 else max(1, len(raw))
    for at in range(0, len(raw), step):
        conn.sendall(raw[at : at + step])
        if trickle > 0 and at + step < len(raw):
            time.sleep(step / trickle)
    time.sleep(request.number("hold", 0) / 1000.0)


def serve_drop(conn, request):
    conn.sendall(build_head(200, ["Content-Type: text/html"], request.number("length", 100000)))
    stream(conn, request, b"<html><head><title>Drop</title></head>", request.number("after", 1000))
    time.sleep(request.number("hold", 0) / 1000.0)
    return "abrupt"


def serve_big(conn, request):
    size = request.number("size", 20 * 1024 * 1024)
    conn.sendall(build_head(200, ["Content-Type: text/html"], size))
    stream(conn, request, b"<html><title>Big</title>", size)


def serve_gzipbomb(conn, request):
    conn.sendall(build_head(200, ["Content-Type: text/html", "Content-Encoding: gzip"]))
    packer = zlib.compressobj(9, zlib.DEFLATED, 31)
    size = request.number("size", 1024 * 1024 * 1024)
    stream(conn, request, b"<html><head><title>Bomb</title></head>", size, b"\0", packer)


def serve_hops(conn, request):
    left, status = request.number("n", 0), request.number("status", 302)
    headers = (["Location: /hops?n=%d&status=%d" % (left - 1, status)] if left > 0
               else ["Content-Type: text/html"])
    body = b"" if left > 0 else b"<title>Chain End</title>"
    respond(conn, request, status if left > 0 else 200, headers, body)


def serve_flaky(conn, request):
    """Fails the first `fails` requests of its `key` (answering `status`,
    with its `header`s, or closing the connection when status is 0), and
    any that comes sooner than `pause` ms after the first; then serves a
    page titled "Back Again"."""
    key = request.text("key", "")
    with _lock:
        count, first = _flaky.get(key, (0, time.monotonic()))
        _flaky[key] = (count + 1, first)
    early = (time.monotonic() - first) * 1000 < request.number("pause", 0)
    if count < request.number("fails", 1) or early:
        status = request.number("status", 503)
        if status == 0:
            return "abrupt"
        headers = [value for name, value in request.query if name == "header"]
        respond(conn, request, status, headers, b"<title>Busy</title>")
        return None
    respond(conn, request, 200, ["Content-Type: text/html"], b"<title>Back Again</title>")
    return None


def serve_text(conn, request, text):
    respond(conn, request, 200, ["Content-Type: text/plain"], text)


def serve_count(conn, request):
    """All requests, those of one path, or those of one /flaky key."""
    path, key = request.text("path"), request.text("key")
    with _lock:
        if key is not None:
            number = _flaky.get(key, (0, 0))[0]
        else:
            number = _total if path is None else _paths[path]
        serve_text(conn, request, b"%d" % number)


def serve_not_found(conn, request):
    respond(conn, request, 404, ["Content-Type: text/html"], b"<title>404 Not Found</title>")


GZIP_HEADERS = ["Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"]
ENDPOINTS = {
    "/page": serve_page,
    "/raw": serve_raw,
    "/silent": lambda conn, request: time.sleep(request.number("ms", 60000) / 1000.0),
    "/drop": serve_drop,
    "/big": serve_big,
    "/gzipbomb": serve_gzipbomb,
    "/gzip": lambda conn, request: respond(conn, request, 200, GZIP_HEADERS,
                                           gzip.compress(request.text("body", "").encode())),
    "/redirect": lambda conn, request: respond(conn, request, request.number("status", 302), [
        "Location: " + request.text("to", "/") + "a" * request.number("pad", 0)]),
    "/loop": lambda conn, request: respond(conn, request, 301, ["Location: /loop"]),
    "/hops": serve_hops,
    "/flaky": serve_flaky,
    "/echo": lambda conn, request: serve_text(conn, request, request.head),
    "/count": serve_count,
    "/peak": lambda conn, request: serve_text(
        conn, request, b"%d" % _peak[request.text("path", "")]),
}


def wait(request):
    """Counts the request (but /count's own), waits its delay, and keeps the
    most requests for one path waiting at once: from the head read until
    the answer begins."""
    global _total
    counted = request.path != "/count"
    if counted:
        with _lock:
            _total += 1
            _paths[request.path] += 1
            _open[request.path] += 1
            _peak[request.path] = max(_peak[request.path], _open[request.path])
    try:
        time.sleep(request.number("delay", 0) / 1000.0)
    finally:
        if counted:
            with _lock:
                _open[request.path] -= 1


def finish(conn, how):
    """Ends the connection: a bare FIN, or a FIN (after the TLS close_notify)
    followed by reading what the client still sends, so that unread bytes do
    not turn the close into a reset."""
    try:
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
        conn.close()


def handle(conn, tls):
    how = "graceful"
    try:
        conn.settimeout(60.0)
        if tls is not None:
            try:
                conn = tls.wrap_socket(conn, server_side=True)
            except (OSError, ssl.SSLError):
                return
        head = read_head(conn)
        if head is None:
            return
        conn.settimeout(None)
        try:
            request = Request(head)
            wait(request)
            how = ENDPOINTS.get(request.path, serve_not_found)(conn, request) or how
        except BadRequest as error:
            print("fixture server: %s" % error, file=sys.stderr, flush=True)
            body = ("bad fixture request: %s\n" % error).encode("utf-8")
            conn.sendall(build_head(400, ["Content-Type: text/plain"], len(body)) + body)
    except Exception as error:
        how = "abrupt"
        if not isinstance(error, (ConnectionError, socket.timeout, ssl.SSLError)):
            traceback.print_exc(file=sys.stderr)
    finally:
        finish(conn, how)


def watch_stdin():
    try:
        while sys.stdin.buffer.read(4096):
            pass
    finally:
        os._exit(0)


def main():
    tls = None
    if len(sys.argv) == 3:  # the certificate and key files
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls.load_cert_chain(sys.argv[1], sys.argv[2])
        tls.set_alpn_protocols(["http/1.1"])
    listener = socket.create_server(("127.0.0.1", 0), backlog=128)
    print(listener.getsockname()[1], flush=True)
    threading.Thread(target=watch_stdin, daemon=True).start()
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=handle, args=(conn, tls), daemon=True).start()


if __name__ == "__main__":
    main()
