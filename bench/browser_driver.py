#!/usr/bin/env python3
"""Drives a headless browser for bench/browser_roundtrip.sh, standard library only.

  browser_driver.py firefox-quit PORT
      ends Firefox through Marionette the way a user's quit does, so that
      its shutdown work (the bookmarks.html export) runs.
  browser_driver.py chromium-seed PORT SEED.json
      adds the bookmarks of SEED.json ([{"folder", "title", "url"}]) to the
      bookmarks bar through the DevTools protocol, then closes the browser.
  browser_driver.py chromium-tree PORT
      prints the browser's bookmark tree (as chrome.bookmarks holds it) as
      indented lines, then closes the browser.
"""

import base64, json, os, socket, struct, sys, time, urllib.request


def connect(port, attempts=60):
    for _ in range(attempts):
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=30)
        except OSError:
            time.sleep(0.5)
    sys.exit("nothing answers on port %d" % port)


# Marionette: "length:json" packets.
def marionette_read(sock):
    length = b""
    while not length.endswith(b":"):
        length += sock.recv(1)
    size = int(length[:-1])
    data = b""
    while len(data) < size:
        data += sock.recv(size - len(data))
    return json.loads(data)


def marionette_call(sock, ident, name, params):
    body = json.dumps([0, ident, name, params]).encode()
    sock.sendall(str(len(body)).encode() + b":" + body)
    return marionette_read(sock)


def firefox_quit(port):
    sock = connect(port)
    marionette_read(sock)  # the greeting
    marionette_call(sock, 1, "WebDriver:NewSession", {"capabilities": {}})
    print(marionette_call(sock, 2, "Marionette:Quit", {"flags": ["eAttemptQuit"]})[3])


# The DevTools protocol over a minimal WebSocket client.
class WebSocket:
    def __init__(self, url):
        host_port, path = url[len("ws://"):].split("/", 1)
        self.sock = connect(int(host_port.split(":")[1]))
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall(("GET /%s HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\n"
                           "Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n" % (path, host_port, key)).encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.sock.recv(1)
        if b" 101 " not in head.split(b"\r\n")[0]:
            sys.exit("no WebSocket: %r" % head)
        self.next_id = 0

    def exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise EOFError
            data += chunk
        return data

    def send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        size = len(payload)
        head = bytes([0x81])
        if size < 126:
            head += bytes([0x80 | size])
        elif size < 65536:
            head += bytes([0x80 | 126]) + struct.pack(">H", size)
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", size)
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))

    def receive(self):
        message = b""
        while True:
            first, second = self.exact(2)
            size = second & 0x7F
            if size == 126:
                size = struct.unpack(">H", self.exact(2))[0]
            elif size == 127:
                size = struct.unpack(">Q", self.exact(8))[0]
            message += self.exact(size)
            if first & 0x80:
                return json.loads(message)

    def call(self, method, params=None):
        self.next_id += 1
        self.send(json.dumps({"id": self.next_id, "method": method, "params": params or {}}))
        while True:
            answer = self.receive()
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    sys.exit("%s failed: %s" % (method, answer["error"]))
                return answer["result"]


def evaluate(page, expression):
    result = page.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                            "returnByValue": True})
    if "exceptionDetails" in result:
        sys.exit("script failed: %s" % result["exceptionDetails"])
    return result["result"].get("value")


def chromium_page(port):
    connect(port).close()
    request = urllib.request.Request("http://127.0.0.1:%d/json/new?chrome://bookmarks/" % port,
                                     method="PUT")
    target = json.load(urllib.request.urlopen(request, timeout=30))
    page = WebSocket(target["webSocketDebuggerUrl"])
    for _ in range(60):  # until the page's chrome.bookmarks is there
        if evaluate(page, "typeof chrome !== 'undefined' && !!chrome.bookmarks"):
            return page
        time.sleep(0.5)
    sys.exit("chrome://bookmarks did not load")


def chromium_close(port):
    version = json.load(urllib.request.urlopen("http://127.0.0.1:%d/json/version" % port, timeout=30))
    browser = WebSocket(version["webSocketDebuggerUrl"])
    browser.send(json.dumps({"id": 1, "method": "Browser.close", "params": {}}))


def chromium_seed(port, seed_file):
    page = chromium_page(port)
    seeds = json.load(open(seed_file))
    evaluate(page, """(async (seeds) => {
        const folders = {};
        for (const seed of seeds) {
            let parent = '1';
            if (seed.folder) {
                if (!folders[seed.folder])
                    folders[seed.folder] = (await chrome.bookmarks.create(
                        {parentId: '1', title: seed.folder})).id;
                parent = folders[seed.folder];
            }
            await chrome.bookmarks.create({parentId: parent, title: seed.title, url: seed.url});
        }
    })(%s)""" % json.dumps(seeds))
    chromium_close(port)


def chromium_tree(port):
    page = chromium_page(port)
    tree = evaluate(page, "chrome.bookmarks.getTree()")

    def walk(node, depth):
        if "url" in node:
            print("%s%s = %s" % ("  " * depth, node["title"], node["url"]))
        else:
            print("%s%s/" % ("  " * depth, node["title"]))
            for child in node.get("children", []):
                walk(child, depth + 1)

    for root in tree[0]["children"]:
        walk(root, 0)
    chromium_close(port)


if __name__ == "__main__":
    command, port = sys.argv[1], int(sys.argv[2])
    {"firefox-quit": lambda: firefox_quit(port),
     "chromium-seed": lambda: chromium_seed(port, sys.argv[3]),
     "chromium-tree": lambda: chromium_tree(port)}[command]()
