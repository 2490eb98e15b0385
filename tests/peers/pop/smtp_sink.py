#!/usr/bin/python3
"""SMTP server for the tests (aiosmtpd) that delivers into a maildir.

usage: smtp_sink.py [--tls CERT KEY] MAILDIR ENVELOPE_DIR PORT_FILE [UID GID]

Listens on a free 127.0.0.1 port and writes that port to PORT_FILE once it
accepts connections. With --tls it listens on two more ports, written after
the first: one that requires STARTTLS and AUTH (user testuser, password
secret) and one with TLS from the first byte and AUTH; every AUTH attempt is
appended to ENVELOPE_DIR/../auth.log. Every accepted mail is written, with LF line ends as a
local delivery agent would, into MAILDIR/new (through MAILDIR/tmp), owned by
UID:GID when given; its envelope (sender and recipients) goes to
ENVELOPE_DIR/<same name>.json. Runs until SIGTERM.
"""
import itertools
import json
import os
import signal
import socket
import ssl
import sys
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class MaildirSink:
    def __init__(self, maildir, envelopes, owner):
        self.maildir = maildir
        self.envelopes = envelopes
        self.owner = owner
        self.counter = itertools.count(1)

    async def handle_DATA(self, server, session, envelope):
        name = f"{time.time_ns()}.P{os.getpid()}Q{next(self.counter)}.korvalin-test"
        data = envelope.original_content.replace(b"\r\n", b"\n")
        tmp = os.path.join(self.maildir, "tmp", name)
        with open(tmp, "wb") as f:
            f.write(data)
        if self.owner:
            os.chown(tmp, *self.owner)
        with open(os.path.join(self.envelopes, name + ".json"), "w") as f:
            json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos, "file": name}, f)
        os.rename(tmp, os.path.join(self.maildir, "new", name))
        return "250 OK delivered"


class Authenticator:
    def __init__(self, log):
        self.log = log

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = auth_data.login == b"testuser" and auth_data.password == b"secret"
        with open(self.log, "a") as f:
            f.write(f"{mechanism} {auth_data.login.decode(errors='replace')} {'ok' if ok else 'refused'}\n")
        return AuthResult(success=ok, handled=False)


def start_controller(handler, **kwargs):
    for attempt in range(5):
        controller = Controller(handler, hostname="127.0.0.1", port=free_port(), **kwargs)
        try:
            controller.start()
            return controller
        except Exception:
            if attempt == 4:
                raise


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    args = sys.argv[1:]
    tls = None
    if args[:1] == ["--tls"] and len(args) >= 3:
        tls = (args[1], args[2])
        args = args[3:]
    if len(args) not in (3, 5):
        sys.exit(__doc__)
    maildir, envelopes, port_file = args[0:3]
    owner = (int(args[3]), int(args[4])) if len(args) == 5 else None
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    handler = MaildirSink(maildir, envelopes, owner)
    controllers = [start_controller(handler)]
    if tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(*tls)
        authenticator = Authenticator(os.path.join(os.path.dirname(os.path.abspath(envelopes)), "auth.log"))
        controllers.append(start_controller(handler, tls_context=context, require_starttls=True,
                                            authenticator=authenticator, auth_require_tls=True))
        controllers.append(start_controller(handler, ssl_context=context, authenticator=authenticator,
                                            auth_require_tls=False))
    with open(port_file + ".tmp", "w") as f:
        f.write(" ".join(str(c.port) for c in controllers) + "\n")
    os.rename(port_file + ".tmp", port_file)
    while not stop.wait(0.5):
        pass
    for controller in controllers:
        controller.stop()


if __name__ == "__main__":
    main()
