#!/usr/bin/env python3
"""A small loopback POP3 server for the demo when Dovecot cannot run.

    demo_pop3_server.py FOLDER USER PASSWORD

Serves the files of FOLDER (raw messages, in name order) on 127.0.0.1 at a free port, prints
"port=N" once it listens, and keeps running until it is terminated. Understands USER, PASS,
STAT, LIST, TOP, UIDL, RETR, DELE, RSET, NOOP and QUIT; deletions take effect at QUIT.
"""
import os
import socketserver
import sys
import threading

folder, user, password = sys.argv[1], sys.argv[2], sys.argv[3]
lock = threading.Lock()
mailbox = []  # [uid, bytes]
for name in sorted(os.listdir(folder)):
    with open(os.path.join(folder, name), "rb") as f:
        mailbox.append(["demo-" + name, f.read()])


def dot_stuffed(lines):
    return b"".join((b"." + l if l.startswith(b".") else l) + b"\r\n" for l in lines) + b".\r\n"


class Session(socketserver.StreamRequestHandler):
    def send(self, text):
        self.wfile.write(text if isinstance(text, bytes) else text.encode("latin-1"))

    def handle(self):
        self.send("+OK demo POP3 server ready\r\n")
        given_user, logged_in, deleted = None, False, set()
        while True:
            line = self.rfile.readline()
            if not line:
                return
            words = line.decode("latin-1").strip().split()
            if not words:
                self.send("-ERR empty command\r\n")
                continue
            cmd, args = words[0].upper(), words[1:]
            if cmd == "QUIT":
                with lock:
                    for i in sorted(deleted, reverse=True):
                        del mailbox[i]
                self.send("+OK bye\r\n")
                return
            if cmd == "USER":
                given_user = args[0] if args else None
                self.send("+OK\r\n")
                continue
            if cmd == "PASS":
                logged_in = given_user == user and " ".join(args) == password
                self.send("+OK logged in\r\n" if logged_in else "-ERR authentication failed\r\n")
                continue
            if not logged_in:
                self.send("-ERR log in first\r\n")
                continue
            with lock:
                live = [(i, m) for i, m in enumerate(mailbox) if i not in deleted]

            def message(number_text):
                try:
                    n = int(number_text)
                except ValueError:
                    return None
                if 1 <= n <= len(mailbox) and (n - 1) not in deleted:
                    return n - 1
                return None

            if cmd == "STAT":
                self.send("+OK %d %d\r\n" % (len(live), sum(len(m[1]) for _, m in live)))
            elif cmd in ("LIST", "UIDL") and not args:
                self.send("+OK\r\n")
                for i, m in live:
                    self.send("%d %s\r\n" % (i + 1, len(m[1]) if cmd == "LIST" else m[0]))
                self.send(".\r\n")
            elif cmd in ("LIST", "UIDL", "TOP", "RETR", "DELE"):
                i = message(args[0]) if args else None
                if i is None:
                    self.send("-ERR no such message\r\n")
                    continue
                uid, raw = mailbox[i]
                if cmd == "LIST":
                    self.send("+OK %d %d\r\n" % (i + 1, len(raw)))
                elif cmd == "UIDL":
                    self.send("+OK %d %s\r\n" % (i + 1, uid))
                elif cmd == "DELE":
                    deleted.add(i)
                    self.send("+OK message %d deleted\r\n" % (i + 1))
                else:
                    lines = raw.replace(b"\r\n", b"\n").split(b"\n")
                    if lines and lines[-1] == b"":
                        lines.pop()
                    if cmd == "TOP":
                        body = lines.index(b"") if b"" in lines else len(lines)
                        extra = int(args[1]) if len(args) > 1 and args[1].isdigit() else 0
                        lines = lines[: body + 1 + extra]
                    self.send("+OK\r\n")
                    self.send(dot_stuffed(lines))
            elif cmd == "RSET":
                deleted.clear()
                self.send("+OK\r\n")
            elif cmd == "NOOP":
                self.send("+OK\r\n")
            else:
                self.send("-ERR unknown command\r\n")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


with Server(("127.0.0.1", 0), Session) as server:
    print("port=%d" % server.server_address[1], flush=True)
    server.serve_forever()
