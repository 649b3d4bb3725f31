#!/usr/bin/env python3
"""A hostile page in the preview pane, driven through quenbry-replay.

The page probes what it can read on this machine and where it can send things, and writes what
it found into its title; an HTTP/WebSocket server and a UDP listener on 127.0.0.1 count what
reaches them. Run once with the default settings and once with remote content allowed.

usage: hostile_pages.py QUENBRY_REPLAY
"""
import base64
import hashlib
import http.server
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time

SECRET = "SECRET-OUTSIDE-THE-FOLDER"
KEY_PATH = "Software\\\\QUENBRY\\\\QUENBRY HTML Editor\\\\Preferences"


class Server(http.server.ThreadingHTTPServer):
    """Records every connection and every request path; answers WebSocket handshakes."""

    daemon_threads = True

    def __init__(self):
        self.connections = 0
        self.paths = []
        super().__init__(("127.0.0.1", 0), Handler)

    def get_request(self):
        request = super().get_request()
        self.connections += 1
        return request


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        self.server.paths.append(self.path.split("?")[0])
        key = self.headers.get("Sec-WebSocket-Key")
        if key:
            accept = base64.b64encode(hashlib.sha1(
                (key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11").encode()).digest()).decode()
            self.send_response(101)
            self.send_header("Upgrade", "websocket")
            self.send_header("Connection", "Upgrade")
            self.send_header("Sec-WebSocket-Accept", accept)
            self.end_headers()
            time.sleep(1)
            return
        body = FRAME if self.path == "/frame" else b"remote-ok"
        self.send_response(200)
        self.send_header("Content-Type", "text/html" if self.path == "/frame" else "text/plain")
        self.send_header("Access-Control-Allow-Origin", "*")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    do_POST = do_GET


def udp_listener():
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    received = []

    def loop():
        while True:
            received.append(sock.recv(2048))

    threading.Thread(target=loop, daemon=True).start()
    return sock.getsockname()[1], received


def png(width, height):
    import struct
    import zlib

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    rows = b"".join(b"\0" + b"\xff\0\0" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


# A web page in a frame of the previewed page, trying to read the folder's files.
FRAME = b"""<script>
const x = new XMLHttpRequest();
x.onload = () => parent.postMessage("read:" + x.responseText, "*");
x.onerror = () => parent.postMessage("no", "*");
try { x.open("GET", decodeURIComponent(location.hash.slice(1))); x.send(); }
catch (e) { parent.postMessage("no", "*"); }
</script>"""

PAGE = r"""<!DOCTYPE html>
<html><head><title>running</title>
<link rel="prefetch" href="HTTP/prefetch">
<link rel="preconnect" href="HTTP/preconnect">
<link rel="dns-prefetch" href="//dns-prefetch.invalid">
<script src="../outside.js"></script>
<script src="OUTSIDE_JS"></script>
</head><body>
<img id="pic" src="pic.png">
<iframe id="fileframe" src="file:///etc/passwd"></iframe>
<iframe id="schemeframe" src="/etc/passwd"></iframe>
<a id="pinger" ping="HTTP/ping" href="#pinged">ping</a>
<iframe name="sink"></iframe>
<form id="subform" action="HTTP/form" method="post" target="sink"><input name="q" value="x"></form>
<form id="topform" action="HTTP/topform" method="get"></form>
<script>
const found = {};
const settle = (p, ms) => Promise.race([p, new Promise(r => setTimeout(() => r("timeout"), ms))]);
const read = url => settle(fetch(url).then(r => r.text()).catch(() => "no"), 3000);
const xhr = url => settle(new Promise(done => {
  try {
    const x = new XMLHttpRequest();
    x.open("GET", url);
    x.onload = () => done(x.responseText);
    x.onerror = () => done("no");
    x.send();
  } catch (e) { done("no"); }
}), 3000);
const frameText = id => {
  try { return document.getElementById(id).contentDocument.body.textContent; } catch (e) { return "no"; }
};
async function rtc(win) {
  try {
    const pc = new win.RTCPeerConnection({iceServers: [{urls: "stun:127.0.0.1:UDP_PORT"}]});
    pc.createDataChannel("x");
    const gathered = new Promise(r => pc.onicegatheringstatechange =
        () => pc.iceGatheringState === "complete" && r());
    await pc.setLocalDescription(await pc.createOffer());
    await settle(gathered, 4000);
    return "ran";
  } catch (e) { return "no"; }
}
// Through fetch and XMLHttpRequest alike, each with its own checks in the engine.
const both = async url => (await read(url)) + " " + (await xhr(url));
async function probe() {
  const passwd = t => t.includes("root:") ? "LEAK" : "no";
  found.xhrFile = passwd(await xhr("file:///etc/passwd"));
  found.fetchFile = passwd(await read("file:///etc/passwd"));
  found.absolute = passwd(await both("/etc/passwd"));
  found.relative = passwd(await both("../../../../../../../../../etc/passwd"));
  found.encoded = passwd(await both("..%2f..%2f..%2f..%2f..%2f..%2f..%2f..%2fetc%2fpasswd"));
  found.fileFrame = passwd(frameText("fileframe"));
  found.schemeFrame = passwd(frameText("schemeframe"));
  const secret = t => t.includes("SECRET") ? "LEAK" : "no";
  found.link = secret(await both("escape.txt"));
  found.linkedFolder = secret(await both("up/secret.txt"));
  found.outsideScript = window.outsideRan ? "LEAK" : "no";
  const environ = t => t.includes("PATH=") ? "LEAK" : "no";
  found.environ = environ(await both("/proc/self/environ"));
  found.environFile = environ(await both("file:///proc/self/environ"));
  found.fifo = (await both("fifo")).includes("timeout") ? "hang" : "no";
  found.big = (await both("big.bin")).length > 1000 ? "LEAK" : "no";
  found.json = await xhr("data.json").then(t => JSON.parse(t).ok).catch(() => "no");
  found.xhrJson = (await xhr("sub/inner.json")).includes("inner") ? "inner" : "no";
  found.picture = document.getElementById("pic").naturalWidth;
  found.http = await read("HTTP/fetch");
  found.image = await settle(new Promise(r => {
    const i = new Image(); i.onload = () => r("ok"); i.onerror = () => r("no"); i.src = "HTTP/image";
  }), 3000);
  found.ws = await settle(new Promise(r => {
    try {
      const w = new WebSocket("WS/ws"); w.onopen = () => r("open"); w.onerror = () => r("no");
    } catch (e) { r("no"); }
  }), 3000);
  navigator.sendBeacon("HTTP/beacon", "x");
  document.getElementById("pinger").click();
  document.getElementById("subform").submit();
  found.remoteFrame = await settle(new Promise(r => {
    addEventListener("message", e => r(e.data.includes("sibling") ? "LEAK" : "no"));
    const f = document.body.appendChild(document.createElement("iframe"));
    f.src = "HTTP/frame#" + encodeURIComponent(new URL("data.json", location.href).href);
  }), 3000) === "LEAK" ? "LEAK" : "no";
  found.rtc = await rtc(window);
  const blank = document.body.appendChild(document.createElement("iframe"));
  found.rtcFrame = await rtc(blank.contentWindow);
  document.title = "done:" + JSON.stringify(found);
  // Now try to leave the document, one way after another.
  const leave = [
    () => location.href = "other.html",
    () => document.getElementById("topform").submit(),
    () => window.open("HTTP/open"),
    () => window.open("other.html"),
    () => document.head.insertAdjacentHTML("beforeend",
        '<meta http-equiv="refresh" content="0;url=HTTP/refresh">'),
    () => location.href = "HTTP/location",
    () => location.href = "data:text/html,<title>left for a data address</title>",
  ];
  // Late enough for the driver to have read the title.
  leave.forEach((go, i) => setTimeout(go, 1500 + 300 * i));
}
window.addEventListener("load", () => probe());
</script></body></html>
"""

LOCAL_PROBES = ["xhrFile", "fetchFile", "absolute", "relative", "encoded", "fileFrame",
                "schemeFrame", "link", "linkedFolder", "outsideScript", "environ", "environFile",
                "fifo", "big", "remoteFrame"]
# Requests that must never leave the page, remote content allowed or not.
NEVER = {"/ping", "/form", "/topform", "/open", "/refresh", "/location"}


def make_site(root, http_port, udp_port):
    site = os.path.join(root, "site")
    os.makedirs(os.path.join(site, "sub"))
    with open(os.path.join(root, "secret.txt"), "w") as f:
        f.write(SECRET)
    outside = os.path.join(root, "outside.js")
    with open(outside, "w") as f:
        f.write("window.outsideRan = true;")
    page = (PAGE.replace("HTTP", "http://127.0.0.1:%d" % http_port)
            .replace("WS/", "ws://127.0.0.1:%d/" % http_port)
            .replace("UDP_PORT", str(udp_port)).replace("OUTSIDE_JS", outside))
    files = {"page.html": page, "data.json": '{"ok": "sibling"}',
             "sub/inner.json": '{"inner": 1}',
             "other.html": "<title>other page</title>"}
    for name, text in files.items():
        with open(os.path.join(site, name), "w") as f:
            f.write(text)
    with open(os.path.join(site, "pic.png"), "wb") as f:
        f.write(png(3, 2))
    os.symlink(os.path.join(root, "secret.txt"), os.path.join(site, "escape.txt"))
    os.symlink(root, os.path.join(site, "up"))
    os.mkfifo(os.path.join(site, "fifo"))
    with open(os.path.join(site, "big.bin"), "wb") as f:
        f.truncate(65 * 1024 * 1024)  # sparse: one byte over the limit costs no disk
    return os.path.join(site, "page.html")


def run_page(replay, page, remote):
    """What the page found, and its title after it tried to leave the document."""
    lines = []
    if remote:
        lines.append('setting user "%s" "PreviewRemoteContent" 1' % KEY_PATH)
    lines += ['args %s' % json.dumps(page), "start", "key Ctrl+Q"]
    lines += ["wait 500", "dump preview"] * 240
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    driver = subprocess.Popen([replay], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, env=env, text=True)
    driver.stdin.write("\n".join(lines) + "\n")
    driver.stdin.close()
    found, title, done_at = None, "", None
    try:
        for line in driver.stdout:
            title = json.loads(line)["preview"]["title"]
            if title.startswith("done:") and done_at is None:
                found, done_at = json.loads(title[len("done:"):]), time.monotonic()
            # Then a few seconds more, while the page tries to leave.
            if done_at is not None and time.monotonic() - done_at > 5:
                break
    finally:
        driver.terminate()
        driver.wait()
    return found, title


def check(replay, remote):
    failures = []
    server = Server()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    udp_port, datagrams = udp_listener()
    with tempfile.TemporaryDirectory() as root:
        page = make_site(root, server.server_address[1], udp_port)
        found, title = run_page(replay, page, remote)
    server.shutdown()
    mode = "remote content allowed" if remote else "by default"
    if not found:
        return ["%s: the page never finished; last title %r" % (mode, title)]
    print(mode, json.dumps(found), file=sys.stderr)
    if not title.startswith("done:"):
        failures.append("%s: the pane left the page for %r" % (mode, title))
    for name in LOCAL_PROBES:
        if found[name] != "no":
            failures.append("%s: %s gave %s" % (mode, name, found[name]))
    for name, wanted in [("json", "sibling"), ("xhrJson", "inner"), ("picture", 3)]:
        if found[name] != wanted:
            failures.append("%s: %s gave %r, not %r" % (mode, name, found[name], wanted))
    if datagrams:
        failures.append("%s: %d UDP datagrams reached the listener" % (mode, len(datagrams)))
    leaked = NEVER.intersection(server.paths)
    if leaked:
        failures.append("%s: requests left the page: %s" % (mode, sorted(leaked)))
    if not remote and server.connections:
        failures.append("by default: %d connections reached the server (%s)"
                        % (server.connections, server.paths))
    if remote:
        for path in ["/fetch", "/image", "/ws"]:
            if path not in server.paths:
                failures.append("remote content allowed: %s never reached the server" % path)
        if (found["http"], found["ws"]) != ("remote-ok", "open"):
            failures.append("remote content allowed: fetch %r, WebSocket %r"
                            % (found["http"], found["ws"]))
    return failures


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    failures = check(sys.argv[1], remote=False) + check(sys.argv[1], remote=True)
    for f in failures:
        print("FAIL", f)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
