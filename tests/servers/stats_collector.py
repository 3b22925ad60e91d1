#!/usr/bin/env python3
"""A statistics collector for the tests: accepts what the event SDK posts and keeps it.

    POST [/t=TOKEN]/events?project=pc
            form field data_list: percent-encoded Base64 of a gzipped JSON array of record
            objects, with gzip=1. Answers 200 (or the status set by /ctl), 400 when the body is
            not such an array. TOKEN keeps one test's uploads apart from another's.
    GET  /received?t=TOKEN    {"batches": [sizes...], "records": [...], "agents": [...], "bad": n}
    GET  /raw?t=TOKEN         the decompressed batches as sent, one per line
    GET  /flat?t=TOKEN        the accepted records flattened: per record a line "record", then one
                              line "path<TAB>JSON value" per leaf ("properties.kv_name"), in the
                              order sent
    GET  /ctl?t=TOKEN&status=C&delay=S
                              answer TOKEN's later posts with C (200 to accept again; 0 closes
                              the connection without an answer, as a server going down), after
                              S seconds

    stats_collector.py PORT_FILE
"""
import base64
import gzip
import http.server
import json
import os
import sys
import threading
import time
import urllib.parse

import loopback

LOCK = threading.Lock()
STATES = {}


def state(token):
    return STATES.setdefault(token, {"batches": [], "records": [], "raw": [], "agents": [], "bad": 0, "status": 200,
                                     "delay": 0.0})


def flatten(value, path, lines):
    if isinstance(value, dict):
        for key, item in value.items():
            flatten(item, path + "." + key if path else key, lines)
    else:
        lines.append(path + "\t" + json.dumps(value, ensure_ascii=False))


def decode(body):
    form = urllib.parse.parse_qs(body.decode("ascii"), keep_blank_values=True, strict_parsing=True)
    if form.get("gzip") != ["1"] or len(form.get("data_list", [])) != 1:
        raise ValueError("form fields")
    raw = gzip.decompress(base64.b64decode(form["data_list"][0], validate=True)).decode("utf-8")
    records = json.loads(raw)
    if not isinstance(records, list) or not all(isinstance(r, dict) for r in records):
        raise ValueError("not an array of objects")
    return records, raw


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b""):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        token = query.get("t", [""])[0]
        with LOCK:
            s = state(token)
            if url.path == "/received":
                keys = ("batches", "records", "agents", "bad")
                return self.answer(200, json.dumps({k: s[k] for k in keys}, ensure_ascii=False).encode())
            if url.path == "/raw":
                return self.answer(200, "".join(r + "\n" for r in s["raw"]).encode())
            if url.path == "/flat":
                lines = []
                for record in s["records"]:
                    lines.append("record")
                    flatten(record, "", lines)
                return self.answer(200, "".join(line + "\n" for line in lines).encode())
            if url.path == "/ctl":
                if "status" in query:
                    s["status"] = int(query["status"][0])
                if "delay" in query:
                    s["delay"] = float(query["delay"][0])
                return self.answer(200)
        self.answer(404)

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        token = ""
        path = url.path
        if path.startswith("/t="):
            token, _, rest = path[3:].partition("/")
            path = "/" + rest
        if path != "/events" or url.query != "project=pc":
            return self.answer(404)
        try:
            records, raw = decode(body)
        except Exception as e:  # a malformed batch is the SDK's fault: count it
            with LOCK:
                state(token)["bad"] += 1
            return self.answer(400, str(e).encode())
        with LOCK:
            status, delay = state(token)["status"], state(token)["delay"]
        if delay:
            time.sleep(delay)
        if status == 0:
            self.close_connection = True
            return
        with LOCK:
            s = state(token)
            if status == 200:
                s["batches"].append(len(records))
                s["records"].extend(records)
                s["raw"].append(raw)
                s["agents"].append(self.headers.get("User-Agent", ""))
        self.answer(status, b"" if status == 200 else b"refused")


def main():
    loopback.serve(Handler, sys.argv[1])


if __name__ == "__main__":
    main()
