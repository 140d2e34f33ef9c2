#!/usr/bin/env python3
"""A resource server on 127.0.0.1 for the tests and the demo.

It serves canned replies by path (any status with a body) and, behind them, the
files of a folder. A canned reply can misbehave on purpose: no Content-Length
(chunked), a body cut short with the connection closed, a Content-Length larger
than the body, a stall before the answer, a slow body, or a body cut short by a
connection reset. Every request is
recorded (method, path, headers in order) so tests can assert what was asked.

As a program:  server.py --root DIR [--port N]   (serves DIR until stopped)
"""
import argparse
import http.server
import os
import socket
import socketserver
import struct
import threading
import time
import urllib.parse

MODES = ('normal', 'chunked', 'truncate', 'overlong', 'stall', 'slow', 'reset')


class Route:
    def __init__(self, body=b'', status=200, mode='normal', delay=0.0, chunk=65536, headers=None):
        assert mode in MODES, mode
        self.body = body.encode('utf-8') if isinstance(body, str) else bytes(body)
        self.status = status
        self.mode = mode
        self.delay = delay      # stall: seconds before answering; slow: seconds between chunks
        self.chunk = chunk      # slow: bytes per chunk
        self.headers = headers or []


class Request:
    def __init__(self, method, raw_path, headers):
        self.method = method
        self.raw_path = raw_path
        self.path = normalise(raw_path)
        self.headers = headers  # list of (name, value) in the order received

    def header(self, name):
        for k, v in self.headers:
            if k.lower() == name.lower():
                return v
        return None

    def __repr__(self):
        return f'{self.method} {self.raw_path}'


def normalise(raw_path):
    """The server-side name of a request: percent-decoded, backslashes as slashes."""
    path = urllib.parse.unquote(raw_path.split('?', 1)[0])
    return path.replace('\\', '/')


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    server_version = 'Zav3DTestServer/1.0'

    def log_message(self, *args):
        pass

    def do_GET(self):
        owner = self.server.owner
        request = Request('GET', self.path, list(self.headers.items()))
        with owner.lock:
            owner.requests.append(request)
            route = owner.routes.get(request.path)
        if route is None:
            route = owner.file_route(request.path)
        if route is None:
            route = Route(b'not found', status=404)
        try:
            self._answer(route, owner)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def _answer(self, route, owner):
        if route.mode == 'stall':
            owner.stopping.wait(route.delay or 30)
            self.close_connection = True
            return
        self.send_response(route.status)
        for name, value in route.headers:
            self.send_header(name, value)
        body = route.body
        if route.mode == 'chunked':
            self.send_header('Transfer-Encoding', 'chunked')
            self.end_headers()
            for i in range(0, len(body), 4096):
                piece = body[i:i + 4096]
                self.wfile.write(b'%x\r\n%s\r\n' % (len(piece), piece))
            self.wfile.write(b'0\r\n\r\n')
            return
        if route.mode == 'truncate':
            self.send_header('Content-Length', str(len(body)))
            self.send_header('Connection', 'close')
            self.end_headers()
            self.wfile.write(body[:len(body) // 2])
            self.close_connection = True
            return
        if route.mode == 'reset':
            # Half the body, then an RST instead of an orderly close: a network error mid-transfer.
            self.send_header('Content-Length', str(len(body)))
            self.end_headers()
            self.wfile.write(body[:len(body) // 2])
            time.sleep(0.1)  # the client has read what was sent and waits for more
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
            # Closed here, before the server's orderly shutdown could send a FIN first.
            self.rfile.close()
            self.connection.close()
            self.close_connection = True
            return
        if route.mode == 'overlong':
            self.send_header('Content-Length', str(len(body) + 100))
            self.send_header('Connection', 'close')
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True
            return
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        if route.mode == 'slow':
            for i in range(0, len(body), route.chunk):
                if owner.stopping.is_set():
                    break
                self.wfile.write(body[i:i + route.chunk])
                self.wfile.flush()
                time.sleep(route.delay)
            return
        self.wfile.write(body)


class _Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


class ResourceServer:
    def __init__(self, root=None, port=0, file_rate=0):
        self.root = root
        self.file_rate = file_rate  # bytes per second for files of the folder; 0: full speed
        self.routes = {}
        self.requests = []
        self.lock = threading.Lock()
        self.stopping = threading.Event()
        self._server = _Server(('127.0.0.1', port), _Handler)
        self._server.owner = self
        self.port = self._server.server_address[1]
        self.url = f'http://127.0.0.1:{self.port}/'
        self._thread = None

    def add(self, path, body=b'', status=200, mode='normal', **kw):
        """Canned reply for a path such as '/Resources.txt' or '/Data/a.bin'."""
        route = Route(body, status, mode, **kw)
        with self.lock:
            self.routes[normalise(path if path.startswith('/') else '/' + path)] = route
        return route

    def file_route(self, path):
        if not self.root:
            return None
        local = os.path.realpath(os.path.join(self.root, path.lstrip('/')))
        if not local.startswith(os.path.realpath(self.root) + os.sep) or not os.path.isfile(local):
            return None
        with open(local, 'rb') as f:
            body = f.read()
        if self.file_rate:
            chunk = max(1024, self.file_rate // 10)
            return Route(body, mode='slow', chunk=chunk, delay=chunk / self.file_rate)
        return Route(body)

    def paths(self):
        with self.lock:
            return [r.path for r in self.requests]

    def start(self):
        self._thread = threading.Thread(target=self._server.serve_forever, kwargs={'poll_interval': 0.1}, daemon=True)
        self._thread.start()
        return self

    def stop(self):
        self.stopping.set()
        self._server.shutdown()
        self._server.server_close()
        if self._thread:
            self._thread.join(timeout=5)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--root', required=True)
    parser.add_argument('--port', type=int, default=47631)
    parser.add_argument('--log', help='file that receives one line per request')
    parser.add_argument('--rate', type=int, default=0, help='bytes per second for files (0: full speed)')
    args = parser.parse_args()
    server = ResourceServer(args.root, args.port, args.rate).start()
    print(f'serving {args.root} on {server.url}', flush=True)
    seen = 0
    try:
        while True:
            time.sleep(0.2)
            with server.lock:
                fresh = server.requests[seen:]
                seen = len(server.requests)
            if args.log and fresh:
                with open(args.log, 'a', encoding='utf-8') as log:
                    for r in fresh:
                        log.write(f'{r.method} {r.path}\n')
    except KeyboardInterrupt:
        pass
    finally:
        server.stop()


if __name__ == '__main__':
    main()
