#!/usr/bin/env bash
# Runs the password tests against a real Secret Service: a private session bus
# (dbus-run-session) on which gnome-keyring-daemon runs, unlocked with a
# password given on standard input, with a fresh HOME and XDG_RUNTIME_DIR.
# Everything it makes is removed at the end; the bus and the keyring daemon
# end with the session.
#   keyring_session.sh PATH/TO/core_password_tests
set -euo pipefail
tests="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/korvalin-keyring.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
unset DBUS_SESSION_BUS_ADDRESS XDG_DATA_HOME XDG_CONFIG_HOME
export KORVALIN_TEST_SECRET_SERVICE=1
export KORVALIN_TEST_SECRET_LOOKUP='test "$(secret-tool lookup program korvalin provider POPMail login ann)" = pw'
# The session ends (and with it the keyring daemon) when the tests end; the
# time-out only guards against a keyring that never answers.
timeout 180 dbus-run-session -- bash -c '
  printf "test-keyring-password" | gnome-keyring-daemon --unlock --components=secrets >/dev/null
  exec "$0" --gtest_filter="*SecretService*"' "$tests" 2> >(grep -v "Failed to set fd limit" >&2)
