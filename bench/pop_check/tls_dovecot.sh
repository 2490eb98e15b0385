#!/usr/bin/env bash
# A second Dovecot beside the kit's fixture in DIR, on the same mailbox, that
# speaks TLS from the first byte (pop3s) with a certificate for localhost
# from a CA of its own (DIR/certs/ca.pem, made by MAKE_CERTS).
#
#   tls_dovecot.sh start DIR MAKE_CERTS   prints "PORT PID"
#   tls_dovecot.sh stop DIR               stops it by its PID
set -euo pipefail
die() { echo "tls_dovecot.sh: $*" >&2; exit 1; }
export PATH="$PATH:/usr/sbin"
case "${1:-}" in
start)
    dir=$(cd "$2" && pwd)
    "$3" "$dir/certs" || die "cannot make certificates"
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    mkdir -p "$dir/run-tls" "$dir/state-tls"
    sed -e "s|^base_dir = .*|base_dir = $dir/run-tls|" \
        -e "s|^state_dir = .*|state_dir = $dir/state-tls|" \
        -e "s|^instance_name = \(.*\)|instance_name = \1-tls|" \
        -e "s|^log_path = .*|log_path = $dir/dovecot-tls.log|" \
        -e "s|^info_log_path = .*|info_log_path = $dir/dovecot-tls.log|" \
        -e "s|^ssl = no|ssl = yes\nssl_cert = <$dir/certs/localhost.pem\nssl_key = <$dir/certs/localhost.key|" \
        -e "s|inet_listener pop3 {|inet_listener pop3s {\n    ssl = yes|" \
        -e "s|^    port = .*|    port = $port|" \
        "$dir/dovecot.conf" > "$dir/dovecot-tls.conf"
    setsid dovecot -F -c "$dir/dovecot-tls.conf" > "$dir/dovecot-tls.out" 2>&1 < /dev/null &
    pid=$!
    echo "$pid" > "$dir/dovecot-tls.pid"
    for _ in $(seq 200); do
        python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
        sleep 0.05
    done
    echo "$port $pid"
    ;;
stop)
    pidfile="$2/dovecot-tls.pid"
    [[ -f $pidfile ]] || exit 0
    pid=$(cat "$pidfile")
    tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -qF "$2" || exit 0
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || exit 0; sleep 0.02; done
    ;;
*) die "usage: tls_dovecot.sh start DIR MAKE_CERTS | stop DIR" ;;
esac
