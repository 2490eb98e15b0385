#!/usr/bin/python3
"""Reads a mail file with Python's email package, as another mail program
would, and prints what it understood, one field a line:

    name=<JSON string>

for Subject, From, To, Cc, Message-ID, In-Reply-To, References,
MIME-Version, content-type, charset, transfer-encoding, body (the decoded
text) and defects (the parser's complaints, joined with "; ")."""
import email
import email.policy
import json
import sys


def main():
    with open(sys.argv[1], "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.default)
    fields = {}
    for name in ("Subject", "From", "To", "Cc", "Message-ID", "In-Reply-To", "References", "MIME-Version"):
        value = message.get(name)
        fields[name] = "" if value is None else str(value)
    fields["content-type"] = message.get_content_type()
    fields["charset"] = message.get_content_charset() or ""
    fields["transfer-encoding"] = message.get("Content-Transfer-Encoding", "")
    fields["body"] = message.get_content() if message.get_content_maintype() == "text" else ""
    defects = list(message.defects)
    for part in message.walk():
        defects.extend(part.defects)
    fields["defects"] = "; ".join(type(d).__name__ for d in defects)
    for name, value in fields.items():
        print(name + "=" + json.dumps(value, ensure_ascii=False))


if __name__ == "__main__":
    main()
