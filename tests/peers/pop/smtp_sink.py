#!/usr/bin/python3
"""SMTP server for the tests (aiosmtpd) that delivers into a maildir.

usage: smtp_sink.py MAILDIR ENVELOPE_DIR PORT_FILE [UID GID]

Listens on a free 127.0.0.1 port and writes that port to PORT_FILE once it
accepts connections. Every accepted mail is written, with LF line ends as a
local delivery agent would, into MAILDIR/new (through MAILDIR/tmp), owned by
UID:GID when given; its envelope (sender and recipients) goes to
ENVELOPE_DIR/<same name>.json. Runs until SIGTERM.
"""
import itertools
import json
import os
import signal
import socket
import sys
import threading
import time

from aiosmtpd.controller import Controller


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


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    if len(sys.argv) not in (4, 6):
        sys.exit(__doc__)
    maildir, envelopes, port_file = sys.argv[1:4]
    owner = (int(sys.argv[4]), int(sys.argv[5])) if len(sys.argv) == 6 else None
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    for attempt in range(5):
        controller = Controller(MaildirSink(maildir, envelopes, owner), hostname="127.0.0.1", port=free_port())
        try:
            controller.start()
            break
        except Exception:
            if attempt == 4:
                raise
    with open(port_file + ".tmp", "w") as f:
        f.write(f"{controller.port}\n")
    os.rename(port_file + ".tmp", port_file)
    while not stop.wait(0.5):
        pass
    controller.stop()


if __name__ == "__main__":
    main()
