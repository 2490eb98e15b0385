#!/usr/bin/env bash
# Puts demo mails into the IMAP demo mailbox as a delivery would: three at
# once, then one every INTERVAL seconds. The IMAP server announces each one
# to the program at once (IDLE), so it shows in the tray within seconds.
#   demo/imap_mail.sh MAILDIR INTERVAL
set -euo pipefail
maildir=$1
interval=$2
owner=$(stat -c %u:%g "$maildir")
count=0

# deliver FROM SUBJECT BODY
deliver() {
  count=$((count + 1))
  local name
  name="demo-$(date +%s)-$count"
  LC_ALL=C printf 'From: %s\nTo: testuser@korvalin.test\nSubject: %s\nDate: %s\nMessage-ID: <%s@korvalin.test>\n\n%s\n' \
    "$1" "$2" "$(LC_ALL=C date -R)" "$name" "$3" >"$maildir/tmp/$name"
  chown "$owner" "$maildir/tmp/$name" 2>/dev/null || true
  mv "$maildir/tmp/$name" "$maildir/new/$name"
}

deliver "Ada Marsh <ada.marsh@example.org>" "Welcome to your IMAP mailbox" \
  "This account reads a local IMAP server. New mail is announced at once, without waiting for the next check."
deliver "Bruno Keller <bruno@example.net>" "Folders work too" \
  "Sent, Trash and Drafts appear under the account. Deleting a mail moves it to Trash."
deliver "Build Robot <ci@example.com>" "Nightly build #1483 passed" "All 214 tests passed."

subjects=("Just checking in" "Train tickets" "Recipe you asked for" "This week in open source")
while sleep "$interval"; do
  deliver "Kira Novak <kira@example.org>" "${subjects[$((count % ${#subjects[@]}))]}" \
    "A new mail in the IMAP demo mailbox, number $count."
done
