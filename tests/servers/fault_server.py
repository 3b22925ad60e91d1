#!/usr/bin/env python3
"""A package server that misbehaves on demand, for the download tests.

Serves the files of ROOT. The path carries the faults, so every test asks for exactly what it
needs and tests never disturb each other:

    /<directive>/<directive>/.../software/<name>   302 to /<directives>/<md5>/<name>
    /<directive>/.../<md5>/<name>                   the file ROOT/<name>

Directives (path segments with '='; the first one that is no directive ends the list):
    t=TOKEN        groups requests for counting ("once" faults and /log are per token)
    cut=N          close the connection after N body bytes, every time
    cutonce=N      the same, for the first GET of this token only
    stall=S        wait S seconds before sending the body
    status=C       answer every request with status C
    getstatus=C    answer GET requests with status C (HEAD is fine)
    nohead=1       answer HEAD with 405
    extra=N        send N bytes more than a range asks for
    fakelen=N      announce length N in HEAD answers
    md5=X          redirect to X instead of the real digest (UPPER: the real one in upper case)
    nodigest=1     redirect to /<directives>/<name>, without a digest segment
    rate=B         send the body at about B bytes per second

GET /log?t=TOKEN answers the requests seen for TOKEN, one line each: METHOD PATH RANGE.
GET /ctl?t=TOKEN&cutfrom=OFFSET&cutafter=N&rate=B changes TOKEN's files while a test runs: ranges
starting at OFFSET or later are sent at B bytes per second and cut after N bytes. /ctl?t=TOKEN
alone clears it.

    fault_server.py ROOT PORT_FILE     binds 127.0.0.1 on a free port and writes it to PORT_FILE
"""
import hashlib
import http.server
import os
import socket
import sys
import threading
import time
import urllib.parse

import loopback

ROOT = sys.argv[1]
DIGESTS = {}
LOG = {}
CONTROL = {}
LOCK = threading.Lock()


def digest(name):
    with LOCK:
        if name not in DIGESTS:
            h = hashlib.md5()
            with open(os.path.join(ROOT, name), "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    h.update(block)
            DIGESTS[name] = h.hexdigest()
        return DIGESTS[name]


def parse(path):
    """Directives, the rest of the path, and the directive prefix as text."""
    parts = [p for p in path.split("/") if p]
    directives, i = {}, 0
    while i < len(parts) and "=" in parts[i]:
        key, _, value = parts[i].partition("=")
        directives[key] = value
        i += 1
    prefix = "".join("/" + p for p in parts[:i])
    return directives, parts[i:], prefix


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, directives):
        token = directives.get("t")
        if token is None:
            return 0
        with LOCK:
            entries = LOG.setdefault(token, [])
            entries.append("%s %s %s" % (self.command, self.path, self.headers.get("Range", "-")))
            return sum(1 for e in entries if e.startswith("GET "))

    def simple(self, status, body=b"", headers=()):
        self.send_response(status)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_HEAD(self):
        self.serve()

    def do_GET(self):
        self.serve()

    def serve(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/log":
            token = urllib.parse.parse_qs(url.query).get("t", [""])[0]
            with LOCK:
                text = "".join(e + "\n" for e in LOG.get(token, []))
            return self.simple(200, text.encode())
        if url.path == "/ctl":
            query = {k: int(v[0]) if k != "t" else v[0] for k, v in urllib.parse.parse_qs(url.query).items()}
            with LOCK:
                CONTROL[query.pop("t", "")] = query
            return self.simple(200)
        directives, rest, prefix = parse(url.path)
        gets = self.record(directives)
        if "status" in directives:
            return self.simple(int(directives["status"]))
        if self.command == "HEAD" and "nohead" in directives:
            return self.simple(405)
        if self.command == "GET" and "getstatus" in directives:
            return self.simple(int(directives["getstatus"]))
        if len(rest) == 2 and rest[0] == "software":
            name = rest[1]
            if not os.path.isfile(os.path.join(ROOT, name)):
                return self.simple(404)
            if "nodigest" in directives:
                target = "%s/%s" % (prefix, name)
            else:
                md5 = directives.get("md5", digest(name))
                if md5 == "UPPER":
                    md5 = digest(name).upper()
                target = "%s/%s/%s" % (prefix, md5, name)
            return self.simple(302, headers=[("Location", target)])
        if not rest or not os.path.isfile(os.path.join(ROOT, rest[-1])):
            return self.simple(404)
        self.send_file(os.path.join(ROOT, rest[-1]), directives, gets)

    def send_file(self, path, directives, gets):
        size = os.path.getsize(path)
        start, end = 0, size - 1
        status = 200
        rng = self.headers.get("Range")
        if rng and rng.startswith("bytes="):
            first, _, last = rng[6:].partition("-")
            start = int(first) if first else 0
            end = min(int(last), size - 1) if last else size - 1
            if start >= size:
                return self.simple(416, headers=[("Content-Range", "bytes */%d" % size)])
            status = 206
        count = end - start + 1
        if status == 206:
            count += int(directives.get("extra", 0))
        self.send_response(status)
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        self.send_header("Accept-Ranges", "bytes")
        announced = directives.get("fakelen") if self.command == "HEAD" else None
        self.send_header("Content-Length", announced or str(count))
        self.end_headers()
        if self.command == "HEAD":
            return
        cut = None
        if "cut" in directives:
            cut = int(directives["cut"])
        elif "cutonce" in directives and gets <= 1:
            cut = int(directives["cutonce"])
        with LOCK:
            control = dict(CONTROL.get(directives.get("t"), {}))
        slow = 0
        if "cutfrom" in control and start >= control["cutfrom"]:
            cut = control.get("cutafter", 0)
            slow = control.get("rate", 0)
        if "stall" in directives:
            time.sleep(float(directives["stall"]))
        rate = slow or int(directives.get("rate", 0))
        sent = 0
        with open(path, "rb") as f:
            f.seek(start)
            while sent < count:
                want = min(65536, count - sent)
                if cut is not None:
                    want = min(want, cut - sent)
                if want <= 0:
                    break
                block = f.read(want)
                if len(block) < want:  # "extra" bytes past the end of the range
                    block += b"\xEE" * (want - len(block))
                try:
                    self.wfile.write(block)
                except (BrokenPipeError, ConnectionResetError):
                    return
                sent += len(block)
                if rate:
                    time.sleep(len(block) / rate)
        if cut is not None and sent >= cut:
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True


def main():
    loopback.serve(Handler, sys.argv[2])


if __name__ == "__main__":
    main()
