#!/usr/bin/python3
"""A scripted HTTP server for the statuses and faults real DAV servers will not produce on demand.

    scripted-server.py --scenario FILE --state DIR [--tls-cert CERT --tls-key KEY]

Listens (with TLS when given a certificate) on a free port of 127.0.0.1 and writes it to DIR/port, its PID to DIR/scripted-server.pid.
The scenario is a list of exchanges, each made of lines:
    C: METHOD /path          the request the client must send next
    C: Name: value           a header the request must carry with exactly this value
    C: Name: prefix*         a header whose value must start with the prefix
    C: !Name                 a header the request must not carry
    B: text                  text the request body must contain
    S: line                  a line of the answer (status line, headers, an empty "S:", body lines)
    S: <stall>               read the request and never answer (until the client gives up)
    S: <close>               close the connection right after what was written so far
Content-Length is added when the answer names none and has no <close>. Lines starting with "#" are
comments. After every exchange DIR/result holds "pending N" (N exchanges matched), then "done", or
"mismatch: ..." for the first request that differed from the scenario (answered 599).
"""

import argparse
import os
import socket
import ssl
import sys
import time

IDLE_LIMIT_SECONDS = 120


def parse_scenario(path):
    exchanges = []
    current = None
    with open(path, encoding="utf-8") as source:
        for raw in source:
            line = raw.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            tag, _, text = line.partition(":")
            text = text[1:] if text.startswith(" ") else text
            if tag == "C":
                if current is None or current["response"]:
                    current = {"request": text, "headers": [], "absent": [], "body": [], "response": []}
                    exchanges.append(current)
                elif text.startswith("!"):
                    current["absent"].append(text[1:].strip().lower())
                else:
                    name, _, value = text.partition(":")
                    current["headers"].append((name.strip().lower(), value.strip()))
            elif tag == "B" and current is not None:
                current["body"].append(text)
            elif tag == "S" and current is not None:
                current["response"].append(text)
            else:
                raise ValueError("bad scenario line: " + line)
    return exchanges


def write_atomically(path, text):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="utf-8") as target:
        target.write(text)
    os.replace(temporary, path)


def read_request(connection, buffer):
    """One request as (request line, headers dict, body bytes, rest of buffer); None when closed."""
    deadline = time.monotonic() + IDLE_LIMIT_SECONDS
    while b"\r\n\r\n" not in buffer:
        if time.monotonic() > deadline:
            return None
        chunk = connection.recv(65536)
        if not chunk:
            return None
        buffer += chunk
    head, _, buffer = buffer.partition(b"\r\n\r\n")
    lines = head.decode("utf-8", "replace").split("\r\n")
    headers = {}
    for header in lines[1:]:
        name, _, value = header.partition(":")
        headers[name.strip().lower()] = value.strip()
    length = int(headers.get("content-length", "0") or "0")
    while len(buffer) < length:
        chunk = connection.recv(65536)
        if not chunk:
            return None
        buffer += chunk
    return lines[0], headers, buffer[:length], buffer[length:]


def mismatch(exchange, request_line, headers, body):
    method, _, rest = request_line.partition(" ")
    target = rest.rsplit(" ", 1)[0]
    if exchange["request"] != method + " " + target:
        return "expected '%s', got '%s %s'" % (exchange["request"], method, target)
    for name, value in exchange["headers"]:
        got = headers.get(name)
        matches = got is not None and got.startswith(value[:-1]) if value.endswith("*") else got == value
        if not matches:
            return "%s: expected '%s', got '%s'" % (name, value, got)
    for name in exchange["absent"]:
        if name in headers:
            return "%s: expected none, got '%s'" % (name, headers[name])
    text = body.decode("utf-8", "replace")
    for part in exchange["body"]:
        if part not in text:
            return "body lacks '%s'" % part
    return None


def answer(connection, response):
    """Writes the scripted answer; returns False when the connection is to be closed."""
    if response == ["<stall>"]:
        connection.settimeout(IDLE_LIMIT_SECONDS)
        try:
            while connection.recv(65536):
                pass
        except OSError:
            pass
        return False
    close = "<close>" in response
    lines = [line for line in response if line != "<close>"]
    blank = lines.index("") if "" in lines else len(lines)
    head, body = lines[:blank], "\r\n".join(lines[blank + 1:]).encode("utf-8")
    if not close and not any(line.lower().startswith("content-length:") for line in head):
        head.append("Content-Length: %d" % len(body))
    connection.sendall(("\r\n".join(head) + "\r\n\r\n").encode("utf-8") + body)
    return not close


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scenario", required=True)
    parser.add_argument("--state", required=True)
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    arguments = parser.parse_args()
    exchanges = parse_scenario(arguments.scenario)
    result_path = os.path.join(arguments.state, "result")
    write_atomically(result_path, "pending 0")
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    listener.settimeout(IDLE_LIMIT_SECONDS)
    if arguments.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(arguments.tls_cert, arguments.tls_key)
        listener = context.wrap_socket(listener, server_side=True)
    write_atomically(os.path.join(arguments.state, "scripted-server.pid"), str(os.getpid()))
    write_atomically(os.path.join(arguments.state, "port"), str(listener.getsockname()[1]))
    done = 0
    while done < len(exchanges):
        try:
            connection, _ = listener.accept()
        except socket.timeout:
            break
        except (ssl.SSLError, OSError):
            # A client that refuses the certificate ends its handshake here.
            continue
        connection.settimeout(IDLE_LIMIT_SECONDS)
        buffer = b""
        with connection:
            while done < len(exchanges):
                try:
                    request = read_request(connection, buffer)
                except OSError:
                    request = None
                if request is None:
                    break
                request_line, headers, body, buffer = request
                exchange = exchanges[done]
                problem = mismatch(exchange, request_line, headers, body)
                if problem:
                    write_atomically(result_path, "mismatch: exchange %d: %s" % (done + 1, problem))
                    connection.sendall(b"HTTP/1.1 599 Scenario Mismatch\r\nContent-Length: 0\r\n\r\n")
                    return 1
                done += 1
                write_atomically(result_path, "done" if done == len(exchanges) else "pending %d" % done)
                try:
                    keep = answer(connection, exchange["response"])
                except OSError:
                    keep = False
                if not keep:
                    break
    return 0


if __name__ == "__main__":
    sys.exit(main())
