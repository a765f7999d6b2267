#!/usr/bin/env python3
"""Test peers for the uploads over TLS, each on 127.0.0.1:PORT until it is ended or the time
limit passes (60 s):

  relay PORT TARGET_PORT LOG    passes each connection on to TARGET_PORT, the client's bytes
                                appended to LOG
  plain PORT LOG                answers whatever comes with a plain HTTP 400 and closes; what
                                came is kept in LOG
  cut PORT CERT KEY LOG         a TLS server that takes the request (its plain bytes in LOG) and
                                sends the first half of its reply's record, then closes
  short PORT CERT KEY LOG       the same, but it sends 10 bytes of a 1000-byte body in whole
                                records and closes the connection without closing the session
  silent PORT CERT KEY LOG      the same, but it never answers: it waits until the client gives
                                up (at most 20 s)
"""
import os
import select
import socket
import ssl
import sys
import threading
import time

LIMIT = 60


def listener(port):
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", int(port)))
    server.listen(8)
    server.settimeout(LIMIT)
    return server


def append(log, data):
    with open(log, "ab") as f:
        f.write(data)


def relay(port, target, log):
    def pipe(client):
        upstream = socket.create_connection(("127.0.0.1", int(target)))
        ends = [client, upstream]
        while ends == [client, upstream]:
            for end in select.select(ends, [], [], LIMIT)[0] or ends:
                data = end.recv(65536)
                if not data:
                    ends = []
                    break
                if end is client:
                    append(log, data)
                (upstream if end is client else client).sendall(data)
        client.close()
        upstream.close()

    server = listener(port)
    while True:
        client, _ = server.accept()
        threading.Thread(target=pipe, args=(client,), daemon=True).start()


def plain(port, log):
    server = listener(port)
    while True:
        client, _ = server.accept()
        client.settimeout(2)
        try:
            append(log, client.recv(65536))
        except socket.timeout:
            pass
        client.sendall(b"HTTP/1.0 400 Bad Request\r\nContent-Type: text/plain\r\n\r\nThis port speaks plain HTTP.\n")
        client.close()


def whole(request):
    """Whether request holds its head and the body its Content-Length announces."""
    head, found, body = request.partition(b"\r\n\r\n")
    if not found:
        return False
    for line in head.split(b"\r\n"):
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            return len(body) >= int(value)
    return True


def tls_server(port, cert, key, log, answer):
    """Serves each connection in TLS: the handshake, the whole request (its plain bytes appended
    to LOG), then answer(session, flush, client) sends what the mode sends; the connection is
    closed after it without a close_notify."""
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    server = listener(port)
    while True:
        client, _ = server.accept()
        client.settimeout(10)
        incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        session = context.wrap_bio(incoming, outgoing, server_side=True)

        def flush():
            data = outgoing.read()
            if data:
                client.sendall(data)

        def receive():
            data = client.recv(65536)
            if not data:
                raise ConnectionError("client closed")
            incoming.write(data)

        try:
            while True:
                try:
                    session.do_handshake()
                    break
                except ssl.SSLWantReadError:
                    flush()
                    receive()
            flush()
            request = b""
            while not whole(request):
                try:
                    request += session.read(65536)
                except ssl.SSLWantReadError:
                    flush()
                    receive()
            append(log, request)
            answer(session, outgoing, client)
        except (ConnectionError, OSError, ssl.SSLError):
            pass
        client.close()


def cut(port, cert, key, log):
    def answer(session, outgoing, client):
        session.write(b"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + b"x" * 1000)
        record = outgoing.read()
        client.sendall(record[: len(record) // 2])
        time.sleep(0.2)

    tls_server(port, cert, key, log, answer)


def short(port, cert, key, log):
    def answer(session, outgoing, client):
        session.write(b"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n")
        session.write(b"0123456789")
        client.sendall(outgoing.read())
        time.sleep(0.2)

    tls_server(port, cert, key, log, answer)


def silent(port, cert, key, log):
    def answer(session, outgoing, client):
        client.settimeout(20)
        while client.recv(65536):
            pass

    tls_server(port, cert, key, log, answer)


if __name__ == "__main__":
    threading.Timer(LIMIT, lambda: os._exit(0)).start()
    modes = {"relay": relay, "plain": plain, "cut": cut, "short": short, "silent": silent}
    try:
        modes[sys.argv[1]](*sys.argv[2:])
    except socket.timeout:
        pass
