"""Serving on a loopback port the system picks, written to a file once the server listens."""
import http.server
import os


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def serve(handler, port_file):
    server = Server(("127.0.0.1", 0), handler)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)  # readers never see a half-written port
    server.serve_forever()
