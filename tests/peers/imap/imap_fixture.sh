#!/usr/bin/env bash
# Real mail servers for the IMAP tests, on loopback, in a directory of their
# own: Dovecot as the IMAP server (user testuser, password secret, a maildir
# with Sent, Trash and Drafts marked for their use) and aiosmtpd as the SMTP
# server, delivering every accepted mail into the inbox. Both run in the
# background and are stopped by their PIDs.
#
#   imap_fixture.sh start DIR [CERTDIR]
#                                 prints "IMAP_PORT SMTP_PORT IMAPS_PORT"; with
#                                 CERTDIR (server.pem, server.key) Dovecot
#                                 offers STARTTLS and listens for IMAPS too
#                                 (IMAPS_PORT is 0 without)
#   imap_fixture.sh restart DIR   stops Dovecot and starts it again on its port
#   imap_fixture.sh stop DIR      stops what start DIR started (DIR is kept)
#
# Run as root, the mail belongs to nobody:nogroup (Dovecot refuses mail of
# uid 0); run as another user, everything runs as that user.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
SINK=$HERE/../pop/smtp_sink.py
PY=/usr/bin/python3   # Debian's Python, which has the aiosmtpd package

die() { echo "imap_fixture.sh: $*" >&2; exit 1; }

free_port() {
    "$PY" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# wait_greeting PORT PID PREFIX: true once the server on PORT greets with PREFIX
wait_greeting() {
    "$PY" - "$@" <<'WAIT'
import socket, sys, time
port, pid, prefix = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3].encode()
end = time.time() + 20
while time.time() < end:
    try:
        with open(f"/proc/{pid}/stat") as f:
            if f.read().rsplit(")", 1)[1].split()[0] == "Z":
                sys.exit(1)
    except OSError:
        sys.exit(1)
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=2) as s:
            if s.recv(512).startswith(prefix):
                sys.exit(0)
    except OSError:
        time.sleep(0.05)
sys.exit(1)
WAIT
}

# running PID: the process exists and has not ended (an ended child that
# nobody reaped yet is a zombie, state Z)
running() {
    local state
    state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
    [[ -n $state && $state != Z ]]
}

# alive DIR NAME: the PID in DIR/NAME.pid runs a command that names DIR
alive() {
    local pidfile=$1/$2.pid pid
    [[ -f $pidfile ]] || return 1
    pid=$(cat "$pidfile")
    running "$pid" && tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -qF "$1/"
}

# group_running PGID: true while a live (not zombie) process is in the group
group_running() {
    cat /proc/[0-9]*/stat 2>/dev/null |
        awk -v g="$1" '{ sub(/^.*\) /, ""); if ($3 == g && $1 != "Z") found = 1 } END { exit !found }'
}

stop_one() {
    local dir=$1 name=$2 pid
    alive "$dir" "$name" || return 0
    pid=$(cat "$dir/$name.pid")
    # The server first, so that it cleans up after itself; then the rest of
    # its process group (it was started with setsid, so its pid names the
    # group): Dovecot's mail sessions would otherwise linger for seconds
    # after their master, as if the server had not restarted.
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 200); do running "$pid" || break; sleep 0.02; done
    running "$pid" && kill -KILL "$pid" 2>/dev/null
    kill -TERM -- "-$pid" 2>/dev/null || return 0
    for _ in $(seq 200); do group_running "$pid" || return 0; sleep 0.02; done
    kill -KILL -- "-$pid" 2>/dev/null || true
}

write_config() {
    local dir=$1 port=$2 certs=$3 tls_port=$4 users extra chroot ssl imaps=""
    if [[ $(id -u) = 0 ]]; then
        users="uid=nobody gid=nogroup"
        extra=""
        chroot=""
    else
        # Without root, Dovecot runs every process as this user, unchrooted.
        users="uid=$(id -u) gid=$(id -g)"
        extra="default_internal_user = $(id -un)
default_internal_group = $(id -gn)
default_login_user = $(id -un)"
        chroot="chroot ="
    fi
    if [[ -n $certs ]]; then
        ssl="ssl = yes
ssl_cert = <$certs/server.pem
ssl_key = <$certs/server.key"
        imaps="  inet_listener imaps {
    port = $tls_port
    ssl = yes
  }"
    else
        ssl="ssl = no"
    fi
    cat > "$dir/dovecot.conf" <<CONF
protocols = imap
listen = 127.0.0.1
base_dir = $dir/run
state_dir = $dir/state
instance_name = korvalin-imap-test-$port
log_path = $dir/dovecot.log
info_log_path = $dir/dovecot.log
$ssl
disable_plaintext_auth = no
auth_mechanisms = plain login
auth_failure_delay = 0
$extra
passdb {
  driver = passwd-file
  args = scheme=PLAIN $dir/passwd
}
userdb {
  driver = static
  args = $users home=$dir/mail/%u
}
mail_location = maildir:$dir/mail/%u/Maildir
namespace inbox {
  inbox = yes
  separator = /
  mailbox Sent {
    special_use = \\Sent
    auto = subscribe
  }
  mailbox Trash {
    special_use = \\Trash
    auto = subscribe
  }
  mailbox Drafts {
    special_use = \\Drafts
    auto = subscribe
  }
}
service imap-login {
  service_count = 0
  process_min_avail = 1
  $chroot
  inet_listener imap {
    port = $port
  }
$imaps
}
service anvil {
  $chroot
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
CONF
}

start() {
    local dir=$1 certs=${2:-} maildir imap_port imaps_port=0 smtp_port pid owner=()
    command -v dovecot >/dev/null || [[ -x /usr/sbin/dovecot ]] || die "dovecot is not installed"
    "$PY" -c 'import aiosmtpd' 2>/dev/null || die "aiosmtpd is not installed for $PY"
    export PATH="$PATH:/usr/sbin"
    alive "$dir" dovecot && die "a Dovecot from $dir is still running"
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    chmod 755 "$dir"   # Dovecot's own processes must reach it
    rm -rf "$dir/mail" "$dir/run" "$dir/state" "$dir/envelopes"
    maildir=$dir/mail/testuser/Maildir
    mkdir -p "$maildir/cur" "$maildir/new" "$maildir/tmp" "$dir/run" "$dir/state" "$dir/envelopes"
    if [[ $(id -u) = 0 ]]; then
        chown -R nobody:nogroup "$dir/mail"
        owner=("$(id -u nobody)" "$(getent group nogroup | cut -d: -f3)")
    fi
    echo 'testuser:{PLAIN}secret' > "$dir/passwd"

    for attempt in 1 2 3; do
        imap_port=$(free_port)
        [[ -n $certs ]] && imaps_port=$(free_port)
        write_config "$dir" "$imap_port" "$certs" "$imaps_port"
        setsid dovecot -F -c "$dir/dovecot.conf" > "$dir/dovecot.out" 2>&1 < /dev/null &
        pid=$!
        echo "$pid" > "$dir/dovecot.pid"
        if wait_greeting "$imap_port" "$pid" "* OK"; then
            break
        fi
        stop_one "$dir" dovecot
        [[ $attempt = 3 ]] && { cat "$dir/dovecot.out" "$dir/dovecot.log" >&2 2>/dev/null || true; die "Dovecot did not come up"; }
    done
    echo "$imap_port" > "$dir/imap.port"

    rm -f "$dir/smtp.port"
    setsid "$PY" "$SINK" "$maildir" "$dir/envelopes" "$dir/smtp.port" "${owner[@]}" \
        > "$dir/smtp.out" 2>&1 < /dev/null &
    pid=$!
    echo "$pid" > "$dir/smtp.pid"
    for _ in $(seq 400); do
        [[ -s $dir/smtp.port ]] && break
        running "$pid" || break
        sleep 0.025
    done
    if [[ ! -s $dir/smtp.port ]]; then
        cat "$dir/smtp.out" >&2 || true
        stop_one "$dir" smtp
        stop_one "$dir" dovecot
        die "aiosmtpd did not come up"
    fi
    smtp_port=$(cat "$dir/smtp.port")
    echo "$imap_port $smtp_port $imaps_port"
}

restart() {
    local dir port pid
    dir=$(cd "$1" && pwd)
    export PATH="$PATH:/usr/sbin"
    port=$(cat "$dir/imap.port")
    stop_one "$dir" dovecot
    # The old master is gone (or a zombie nobody reaped yet, which Dovecot
    # would take for a running copy): its pid file says nothing any more.
    rm -f "$dir/run/master.pid"
    setsid dovecot -F -c "$dir/dovecot.conf" > "$dir/dovecot.out" 2>&1 < /dev/null &
    pid=$!
    echo "$pid" > "$dir/dovecot.pid"
    wait_greeting "$port" "$pid" "* OK" || die "Dovecot did not come up again on $port: $(tail -n 5 "$dir/dovecot.out")"
}

stop() {
    local dir
    dir=$(cd "$1" 2>/dev/null && pwd) || return 0
    stop_one "$dir" smtp
    stop_one "$dir" dovecot
}

case "${1:-}" in
    start) [[ $# -eq 2 || $# -eq 3 ]] || die "usage: imap_fixture.sh start DIR [CERTDIR]"; start "$2" "${3:-}" ;;
    restart) [[ $# -eq 2 ]] || die "usage: imap_fixture.sh restart DIR"; restart "$2" ;;
    stop)  [[ $# -eq 2 ]] || die "usage: imap_fixture.sh stop DIR"; stop "$2" ;;
    *) die "usage: imap_fixture.sh start|restart|stop DIR" ;;
esac
