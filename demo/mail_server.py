#!/usr/bin/python3
"""A small POP3 + SMTP server for the demo profile.

Listens on 127.0.0.1 only. Serves one mailbox (any user name, the password
given with --password) holding a dozen sample mails, adds a new one every
--interval seconds, and delivers every mail received over SMTP into the same
mailbox, so mail sent from the demo account comes back on the next check.

On start it prints "POP3 <port>" and "SMTP <port>" on their own lines.
"""
import argparse
import asyncio
import email.policy
import email.utils
from email.message import EmailMessage
import hashlib
import itertools
import random
import struct
import sys
import time
import zlib

SAMPLES = [
    ("Ada Marsh <ada.marsh@example.org>", "Welcome to Korvalin Mail",
     "Hello,\n\nthis mailbox is a demo running on your own machine.\nEvery minute a new mail arrives so you can watch the tray icon.\n\nAda"),
    ("Bruno Keller <bruno@example.net>", "Lunch on Friday?",
     "Hi!\n\nAre you free for lunch on Friday at 12:30?\nThe new place near the station has a garden.\n\nBruno"),
    ("Build Robot <ci@example.com>", "Nightly build #1482 passed",
     "All 214 tests passed.\nDuration: 11 min 4 s\n\n-- \nThis mail was sent automatically."),
    ("Clara Ottesen <clara.o@example.org>", "Photos from the trip",
     "The photos are in the shared folder.\nMy favourite is the one of the lighthouse at dusk.\n\n> Did you get home safely?\nYes, thanks!\n\nClara"),
    ("Library <notices@library.example>", "Your loan is due in 3 days",
     "Dear reader,\n\n\"The Art of Patience\" is due on Monday.\nYou can renew it once online.\n"),
    ("Dmitri Volkov <d.volkov@example.net>", "Re: meeting notes",
     "Thanks for the notes. Two corrections:\n\n1. The budget is 12,000, not 21,000.\n2. The next meeting moves to Thursday.\n\n.dots at the start of a line survive, too."),
    ("Eva Lindqvist <eva@example.com>", "Invoice 2026-117",
     "Please find the invoice details below.\n\n  Consulting, 6 h      540.00\n  Travel               42.50\n  Total               582.50\n\nPayable within 30 days."),
    ("Garden Club <club@example.org>", "Spring seed swap",
     "Bring your spare seeds on Saturday, 10:00 to 13:00, at the community hall.\nTea and cake provided."),
    ("Hiro Tanaka <hiro.tanaka@example.jp>", "Question about the <config> file",
     "Where does the program keep its <config> file?\nI looked in the home folder & found nothing.\n\nHiro"),
    ("Ines Duarte <ines@example.pt>", "Happy birthday!",
     "Happy birthday! Hope you have a wonderful day.\n\nInes"),
    ("Security Team <security@example.com>", "New sign-in to your account",
     "We noticed a new sign-in from Linux on Tuesday.\nIf this was you, there is nothing to do."),
    ("Jonas Weber <jonas.w@example.de>", "Chess tonight?",
     "Same time as usual? I have been practising the Sicilian.\n\nJonas"),
]

ARRIVALS = [
    ("Kira Novak <kira@example.org>", "Just checking in", "How are things going? Write back when you have a minute.\n\nKira"),
    ("Newsletter <news@example.com>", "This week in open source", "Ten projects worth a look this week, and one that will surprise you."),
    ("Leo Fischer <leo@example.net>", "Train tickets", "I booked the 8:15 train. Seats 41 and 42, coach 7."),
    ("Maya Rossi <maya.rossi@example.it>", "Recipe you asked for", "Risotto: stock, rice, patience. Full recipe below.\n\n1. Warm the stock.\n2. Toast the rice.\n3. Stir."),
]


def square_png(size=16, rgb=(230, 120, 20)):
    """A one-colour square as PNG bytes: the logo the HTML sample shows
    from its own parts."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\x00" + bytes(rgb) * size for _ in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def mime_samples(when):
    """Mails as present-day senders write them: encoded words, quoted-printable
    accents, an attachment with a non-ASCII name, HTML with its own and a
    remote image."""
    mails = []

    accents = EmailMessage()
    accents["From"] = "Ren\u00e9e Dupr\u00e9 <renee@example.fr>"
    accents["Subject"] = "Caf\u00e9 cr\u00e8me et g\u00e2teau \u2014 \u00e0 bient\u00f4t"
    accents.set_content("Bonjour !\n\nOn se retrouve au caf\u00e9 \u00ab Le Ch\u00e2teau \u00bb \u00e0 15 h ?\n"
                        "Gr\u00fc\u00dfe aus K\u00f6ln, \u65e5\u672c\u8a9e too.\n\nRen\u00e9e\n", cte="quoted-printable")
    mails.append(accents)

    attachment = EmailMessage()
    attachment["From"] = "Eva Lindqvist <eva@example.com>"
    attachment["Subject"] = "Rechnung f\u00fcr M\u00e4rz (mit Anhang)"
    attachment.set_content("Hallo,\n\nanbei die Rechnung als Datei.\n\nEva\n")
    attachment.add_attachment("Rechnung M\u00e4rz 2026\n\nBeratung, 6 h    540,00 \u20ac\nSumme            540,00 \u20ac\n",
                              subtype="plain", filename="Rechnung M\u00e4rz.txt")
    mails.append(attachment)

    html = EmailMessage()
    html["From"] = "Shop News <news@shop.example>"
    html["Subject"] = "This week's offers (with pictures)"
    html.set_content("This week's offers: tea 3.50, cake 2.00.\n")
    html.add_alternative(
        '<html><body><p><img src="cid:logo@shop.example" alt="logo"> <b>This week\u2019s offers</b></p>'
        '<ul><li>Tea \u2014 3,50 \u20ac</li><li>Cake \u2014 2,00 \u20ac</li></ul>'
        '<p><img src="http://tracker.shop.example/open.gif?u=42" alt="remote picture"></p>'
        '<p><a href="https://shop.example/offers">All offers</a> \u00b7 '
        '<a href="mailto:news@shop.example?subject=Unsubscribe">Unsubscribe</a></p></body></html>',
        subtype="html")
    html.get_payload()[1].add_related(square_png(), "image", "png", cid="<logo@shop.example>")
    mails.append(html)

    raws = []
    for n, message in enumerate(mails):
        message["To"] = "Demo User <demo@korvalin.test>"
        message["Date"] = email.utils.formatdate(when + n * 600, localtime=True)
        message["Message-ID"] = "<demo-mime-%d-%d@korvalin.test>" % (n, int(when))
        raws.append(message.as_bytes(policy=email.policy.SMTP))
    return raws


class Mailbox:
    def __init__(self):
        self.messages = []  # (uid, raw bytes)
        self.counter = itertools.count(1)

    def add(self, raw):
        uid = hashlib.sha1(raw).hexdigest()[:16] + "-" + str(next(self.counter))
        self.messages.append((uid, raw))

    def add_sample(self, sender, subject, body, when=None):
        when = when or time.time()
        n = next(self.counter)
        headers = [
            "From: " + sender,
            "To: Demo User <demo@korvalin.test>",
            "Subject: " + subject,
            "Date: " + email.utils.formatdate(when, localtime=True),
            "Message-ID: <demo-%d-%d@korvalin.test>" % (n, int(when)),
            "MIME-Version: 1.0",
            "Content-Type: text/plain; charset=utf-8",
        ]
        text = "\r\n".join(headers) + "\r\n\r\n" + body.replace("\n", "\r\n") + "\r\n"
        self.messages.append(("demo-%d" % n, text.encode("utf-8")))


def dot_stuff(raw):
    lines = raw.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return b"".join((b"." + l if l.startswith(b".") else l) + b"\r\n" for l in lines)


async def pop3_session(reader, writer, box, password):
    def send(text):
        writer.write(text if isinstance(text, bytes) else text.encode())

    send("+OK demo POP3 server ready\r\n")
    user, authed, deleted = None, False, set()
    while True:
        line = await reader.readline()
        if not line:
            break
        parts = line.decode("latin-1").strip().split(" ")
        cmd, args = parts[0].upper(), parts[1:]
        visible = [(i + 1, m) for i, m in enumerate(box.messages) if i + 1 not in deleted]
        if cmd == "CAPA":
            send("+OK\r\nUSER\r\nTOP\r\nUIDL\r\nPIPELINING\r\n.\r\n")
        elif cmd == "USER":
            user = args[0] if args else ""
            send("+OK\r\n")
        elif cmd == "PASS":
            if user and " ".join(args) == password:
                authed = True
                send("+OK logged in\r\n")
            else:
                send("-ERR [AUTH] invalid user name or password\r\n")
        elif cmd == "QUIT":
            if authed:
                for index in sorted(deleted, reverse=True):
                    del box.messages[index - 1]
            send("+OK bye\r\n")
            break
        elif not authed:
            send("-ERR log in first\r\n")
        elif cmd == "STAT":
            send("+OK %d %d\r\n" % (len(visible), sum(len(m[1]) for _, m in visible)))
        elif cmd in ("LIST", "UIDL"):
            if args:
                n = int(args[0]) if args[0].isdigit() else 0
                if n < 1 or n > len(box.messages) or n in deleted:
                    send("-ERR no such message\r\n")
                else:
                    value = box.messages[n - 1][0] if cmd == "UIDL" else len(box.messages[n - 1][1])
                    send("+OK %d %s\r\n" % (n, value))
            else:
                send("+OK\r\n")
                for n, m in visible:
                    send("%d %s\r\n" % (n, m[0] if cmd == "UIDL" else len(m[1])))
                send(".\r\n")
        elif cmd in ("TOP", "RETR"):
            n = int(args[0]) if args and args[0].isdigit() else 0
            if n < 1 or n > len(box.messages) or n in deleted:
                send("-ERR no such message\r\n")
            else:
                raw = box.messages[n - 1][1]
                if cmd == "TOP":
                    raw = raw.split(b"\r\n\r\n", 1)[0] + b"\r\n\r\n"
                send(b"+OK\r\n" + dot_stuff(raw) + b".\r\n")
        elif cmd == "DELE":
            n = int(args[0]) if args and args[0].isdigit() else 0
            if n < 1 or n > len(box.messages) or n in deleted:
                send("-ERR no such message\r\n")
            else:
                deleted.add(n)
                send("+OK deleted\r\n")
        elif cmd == "NOOP":
            send("+OK\r\n")
        elif cmd == "RSET":
            deleted.clear()
            send("+OK\r\n")
        else:
            send("-ERR unknown command\r\n")
        await writer.drain()
    writer.close()


async def smtp_session(reader, writer, box):
    def send(text):
        writer.write(text.encode())

    send("220 demo SMTP server ready\r\n")
    recipients = []
    while True:
        line = await reader.readline()
        if not line:
            break
        text = line.decode("latin-1").rstrip("\r\n")
        cmd = text.split(" ")[0].upper().split(":")[0]
        if cmd in ("HELO", "EHLO"):
            send("250 demo\r\n")
        elif cmd == "MAIL":
            recipients = []
            send("250 OK\r\n")
        elif cmd == "RCPT":
            recipients.append(text)
            send("250 OK\r\n")
        elif cmd == "DATA":
            if not recipients:
                send("503 no recipients\r\n")
                continue
            send("354 end with <CRLF>.<CRLF>\r\n")
            await writer.drain()
            lines = []
            while True:
                data = await reader.readline()
                if not data or data in (b".\r\n", b".\n"):
                    break
                lines.append(data[1:] if data.startswith(b"..") else data)
            box.add(b"".join(lines))
            send("250 OK queued\r\n")
        elif cmd == "QUIT":
            send("221 bye\r\n")
            await writer.drain()
            break
        elif cmd in ("RSET", "NOOP"):
            send("250 OK\r\n")
        else:
            send("502 not implemented\r\n")
        await writer.drain()
    writer.close()


async def arrivals(box, interval):
    for sender, subject, body in itertools.cycle(ARRIVALS):
        await asyncio.sleep(interval)
        box.add_sample(sender, subject, body)


async def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pop-port", type=int, default=0)
    parser.add_argument("--smtp-port", type=int, default=0)
    parser.add_argument("--password", default="demo")
    parser.add_argument("--interval", type=float, default=60.0, help="seconds between new mails (0: none)")
    options = parser.parse_args()

    box = Mailbox()
    start = time.time() - 86400 * 6
    for i, (sender, subject, body) in enumerate(SAMPLES):
        box.add_sample(sender, subject, body, start + i * 40000 + random.randint(0, 3000))
    for raw in mime_samples(time.time() - 3600):
        box.add(raw)

    pop = await asyncio.start_server(lambda r, w: pop3_session(r, w, box, options.password), "127.0.0.1", options.pop_port)
    smtp = await asyncio.start_server(lambda r, w: smtp_session(r, w, box), "127.0.0.1", options.smtp_port)
    print("POP3 %d" % pop.sockets[0].getsockname()[1])
    print("SMTP %d" % smtp.sockets[0].getsockname()[1])
    sys.stdout.flush()
    tasks = [pop.serve_forever(), smtp.serve_forever()]
    if options.interval > 0:
        tasks.append(arrivals(box, options.interval))
    await asyncio.gather(*tasks)


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
