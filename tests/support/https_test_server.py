#!/usr/bin/env python3
"""HTTPS servers for the update tests, with certificates made on the spot.

Usage: https_test_server.py WORKDIR [CERTBASE]

Makes, with openssl, a test CA (ca.pem), a certificate it signs for
localhost and 127.0.0.1, one it signs for another host name, and a
self-signed one for localhost: in WORKDIR, or, given CERTBASE, once a day in
CERTBASE/<date>/ for every test program of that day to share. Starts three
HTTPS servers with them ("good", "wrongname", "selfsigned") and a plain
CONNECT proxy ("proxy") that tunnels to the server whose port is asked for,
or to the good server for any other port, then prints one JSON line with
their ports and the CA path, and serves until its standard input closes.

Routes of every HTTPS server:
  /echo            200, JSON: method, path, raw header lines, body
  /status/N        status N with the body "status N body"
  /big             1 MiB of 'x'
  /stall           reads the request and never answers
  /api/updates     POST of the update check: the reply is looked up by the
                   form's app_key in WORKDIR/updates.json (an object: key ->
                   JSON reply, or a string sent as it is; a missing key gets
                   404); each body is appended as one line to WORKDIR/bodies.log
  /files/NAME      WORKDIR/files/NAME, 404 when missing
"""

import http.server
import json
import os
import select
import shutil
import socket
import socketserver
import ssl
import subprocess
import sys
import tempfile
import threading
import time

WORK = sys.argv[1]
CERTS = WORK

CONFIG = """[req]
distinguished_name = dn
prompt = no
[dn]
CN = placeholder
[ca]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[localhost]
basicConstraints = CA:FALSE
subjectAltName = DNS:localhost,IP:127.0.0.1
[other]
basicConstraints = CA:FALSE
subjectAltName = DNS:other.invalid
"""


def path(name):
    return os.path.join(WORK, name)


def cert(name):
    return os.path.join(CERTS, name)


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def new_key(folder, name):
    key = os.path.join(folder, name + ".key")
    return ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key]


def make_certificates(folder):
    def at(name):
        return os.path.join(folder, name)

    with open(at("openssl.cnf"), "w") as f:
        f.write(CONFIG)
    cnf = ["-config", at("openssl.cnf")]
    openssl("req", "-x509", *cnf, "-extensions", "ca", *new_key(folder, "ca"), "-out", at("ca.pem"), "-days", "3",
            "-subj", "/CN=Update Test CA")
    openssl("req", "-x509", *cnf, "-extensions", "localhost", *new_key(folder, "self"), "-out", at("self.pem"),
            "-days", "3", "-subj", "/CN=localhost")
    for name, section in (("good", "localhost"), ("other", "other")):
        openssl("req", "-new", *cnf, *new_key(folder, name), "-out", at(name + ".csr"), "-subj", "/CN=" + section)
        openssl("x509", "-req", "-in", at(name + ".csr"), "-CA", at("ca.pem"), "-CAkey", at("ca.key"),
                "-set_serial", str(int(time.time() * 1000)), "-days", "3", "-extfile", at("openssl.cnf"),
                "-extensions", section, "-out", at(name + ".pem"))


def shared_certificates(base):
    """Today's folder below base, made by whichever test program comes first."""
    folder = os.path.join(base, time.strftime("%Y%m%d"))
    if os.path.exists(os.path.join(folder, "good.pem")):
        return folder
    os.makedirs(base, exist_ok=True)
    fresh = tempfile.mkdtemp(dir=base)
    make_certificates(fresh)
    try:
        os.rename(fresh, folder)
    except OSError:  # another test program was quicker
        shutil.rmtree(fresh, ignore_errors=True)
    return folder


class RecordingReader:
    """Keeps the raw header lines the request parser reads."""

    def __init__(self, inner):
        self.inner = inner
        self.lines = []

    def readline(self, *args):
        line = self.inner.readline(*args)
        self.lines.append(line)
        return line

    def __getattr__(self, name):
        return getattr(self.inner, name)


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        self.rfile = RecordingReader(self.rfile)

    def body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def reply(self, status, data, content_type="application/json"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def echo(self, body):
        raw = [line.decode("latin-1").rstrip("\r\n") for line in self.rfile.lines[1:]]
        self.reply(200, json.dumps({"method": self.command, "path": self.path, "headers": [l for l in raw if l],
                                    "body": body.decode("latin-1")}).encode())

    def update(self, body):
        with open(path("bodies.log"), "ab") as log:
            log.write(body + b"\n")
        fields = dict(part.split("=", 1) for part in body.decode().split("&") if "=" in part)
        try:
            with open(path("updates.json")) as f:
                replies = json.load(f)
        except FileNotFoundError:
            replies = {}
        answer = replies.get(fields.get("app_key", ""))
        if answer is None:
            self.reply(404, b"{}")
        else:
            self.reply(200, (answer if isinstance(answer, str) else json.dumps(answer)).encode())

    def serve_file(self, name):
        try:
            with open(os.path.join(path("files"), os.path.basename(name)), "rb") as f:
                data = f.read()
        except FileNotFoundError:
            self.reply(404, b"no such file", "text/plain")
            return
        self.reply(200, data, "application/octet-stream")

    def route(self):
        body = self.body()
        if self.path == "/echo":
            self.echo(body)
        elif self.path.startswith("/status/"):
            status = int(self.path[len("/status/"):])
            self.reply(status, ("status %d body" % status).encode(), "text/plain")
        elif self.path == "/big":
            self.reply(200, b"x" * (1024 * 1024), "text/plain")
        elif self.path == "/stall":
            time.sleep(30)
        elif self.path == "/api/updates":
            self.update(body)
        elif self.path.startswith("/files/"):
            self.serve_file(self.path[len("/files/"):])
        else:
            self.reply(404, b"unknown", "text/plain")

    do_GET = route
    do_POST = route
    do_PUT = route


class QuietErrors:
    """Clients that hang up early are part of the tests, not news."""

    def handle_error(self, request, client_address):
        pass


class TlsServer(QuietErrors, http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, certificate):
        super().__init__(("127.0.0.1", 0), Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert(certificate + ".pem"), cert(certificate + ".key"))
        self.socket = context.wrap_socket(self.socket, server_side=True)


class ProxyHandler(socketserver.StreamRequestHandler):
    """CONNECT to one of our servers' ports opens a tunnel to that server,
    to any other port a tunnel to the good server."""

    target = None
    servers = ()

    def handle(self):
        request = self.rfile.readline()
        while self.rfile.readline() not in (b"\r\n", b"\n", b""):
            pass
        if not request.startswith(b"CONNECT "):
            self.wfile.write(b"HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n")
            return
        port = int(request.split()[1].rsplit(b":", 1)[1])
        upstream = socket.create_connection(("127.0.0.1", port if port in self.servers else self.target))
        self.wfile.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
        self.wfile.flush()
        pipe(self.connection, upstream)


def pipe(a, b):
    sockets = [a, b]
    while True:
        readable, _, _ = select.select(sockets, [], [], 10)
        if not readable:
            return
        for s in readable:
            data = s.recv(65536)
            if not data:
                return
            (b if s is a else a).sendall(data)


class ProxyServer(QuietErrors, socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def start(server):
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    global CERTS
    os.makedirs(path("files"), exist_ok=True)
    if len(sys.argv) > 2:
        CERTS = shared_certificates(sys.argv[2])
    else:
        make_certificates(WORK)
    ports = {name: start(TlsServer(cert)) for name, cert in
             (("good", "good"), ("wrongname", "other"), ("selfsigned", "self"))}
    ProxyHandler.target = ports["good"]
    ProxyHandler.servers = tuple(ports.values())
    ports["proxy"] = start(ProxyServer(("127.0.0.1", 0), ProxyHandler))
    ports["ca"] = cert("ca.pem")
    print(json.dumps(ports), flush=True)
    sys.stdin.read()


if __name__ == "__main__":
    main()
