#!/usr/bin/env bash
# What the program costs while it waits: the demo's simulators with no new
# mail, a demo profile with ACCOUNTS accounts (POP accounts beside the seven
# web-mail ones), and korvalin under a virtual X display (xvfb-run when no
# display is set). It prints
#   - start-up to the main window shown (the X window appears),
#   - UI-thread wakeups per second between checks, averaged over SECONDS
#     (context switches of the main thread, from /proc),
#   - memory after 10 checks (timer period of a few seconds): resident,
#     proportional and private.
#   - the CPU time (user + system) the program used until then, and the
#     load average, since the wall-clock figure depends on other work,
#   - with --stages, the program's own start-up timestamps (KORVALIN_STARTUP_TRACE),
#   - with --smaps, a breakdown of the resident memory after the checks.
#   bench/idle/idle.sh [--build DIR] [--accounts N] [--seconds S] [--stages] [--smaps]
# Needs the build in build/ (or --build DIR, or $KORVALIN_BIN/..) with the
# plug-ins, korvalin-websim and korvalin-demo-profile.
set -euo pipefail
cd "$(dirname "$0")/../.."
given=("$@")
bin="${KORVALIN_BIN:-build/bin}"
accounts=10
seconds=60
stages=0
smaps=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) bin="$2/bin"; shift 2 ;;
    --accounts) accounts="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --stages) stages=1; shift ;;
    --smaps) smaps=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--accounts N] [--seconds S] [--stages] [--smaps]" >&2; exit 2 ;;
  esac
done
bin="$(cd "$bin" && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "${given[@]}"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/korvalin-idle.XXXXXX")"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

port_of() {  # NAME FILE: waits for a line "NAME <port>" and prints the port
  for _ in $(seq 1 100); do
    local port
    port="$(sed -n "s/^$1 \([0-9][0-9]*\)\b.*$/\1/p" "$2" | head -n1)"
    if [ -n "$port" ]; then echo "$port"; return 0; fi
    sleep 0.1
  done
  echo "no $1 port in $2" >&2
  return 1
}

/usr/bin/python3 demo/mail_server.py --interval 0 >"$work/mail.log" 2>&1 &
pids+=("$!")
pop="$(port_of POP3 "$work/mail.log")"
smtp="$(port_of SMTP "$work/mail.log")"
"$bin/korvalin-websim" --new-mail-every 0 >"$work/websim.log" 2>&1 &
pids+=("$!")
port_of HTTP "$work/websim.log" >/dev/null
hosts=(--host "vendor.address=127.0.0.1" --host "vendor.conntest=127.0.0.1:$pop" --host "vendor.web=127.0.0.1:1")
web=()
while read -r kind first second third; do
  case "$kind" in
    HOST) hosts+=(--host "$first") ;;
    ACCOUNT) web+=(--web-account "$first=$second=$third") ;;
  esac
done <"$work/websim.log"
pop_accounts=$((accounts - ${#web[@]} / 2))
[ "$pop_accounts" -ge 1 ] || pop_accounts=1

# One run of korvalin over a fresh profile; sets kpid and startup_ms.
start_korvalin() {
  local profile="$work/profile$1"
  export XDG_CONFIG_HOME="$profile/config" XDG_DATA_HOME="$profile/data" KORVALIN_HOME="$profile/home"
  export XDG_RUNTIME_DIR="$profile/runtime" KORVALIN_KEYRING=off
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  "$bin/korvalin-demo-profile" --home "$KORVALIN_HOME" --pop "127.0.0.1:$pop" --smtp "127.0.0.1:$smtp" \
    --login demo --password demo --interval 60 --pop-accounts "$pop_accounts" "${hosts[@]}" "${web[@]}" >/dev/null
  local begin end
  begin="$(date +%s%N)"
  if [ "$stages" = 1 ]; then export KORVALIN_STARTUP_TRACE="$begin"; fi
  "$bin/korvalin" >"$work/korvalin$1.log" 2>&1 &
  kpid="$!"
  pids+=("$kpid")
  until xwininfo -root -tree 2>/dev/null | grep -q '"Korvalin Mail"'; do sleep 0.005; done
  end="$(date +%s%N)"
  startup_ms=$(((end - begin) / 1000000))
  startup_cpu_ms="$(cpu_ms "$kpid")"
  startup_load="$(cut -d' ' -f1-3 /proc/loadavg)"
  unset KORVALIN_STARTUP_TRACE
}
cpu_ms() {  # user + system time of the process so far
  awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%d", ($12 + $13) * 1000 / hz }' "/proc/$1/stat"
}

smaps_breakdown() {  # resident kB by kind of mapping
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / {
      perm = $2; name = $6
      if (name == "[heap]") kind = "heap (main arena)"
      else if (name ~ /^\[stack/) kind = "main stack"
      else if (name ~ /\.so/) kind = (perm ~ /x/ ? "library code " : (perm ~ /w/ ? "library data " : "library read-only ")) (name ~ /libQt6/ ? "Qt" : (name ~ /gate\.so|korvalin/ ? "plug-ins" : (name ~ /libssl|libcrypto/ ? "OpenSSL" : "other")))
      else if (name ~ /fonts|\.ttf|\.otf|\.pcf/) kind = "fonts"
      else if (name ~ /SYSV|shm|MIT-SHM/) kind = "X shared memory"
      else if (name == "") kind = (perm == "---p" ? "guard" : "anonymous (arenas, thread stacks, Qt)")
      else kind = "other files: " name
      next
    }
    /^Rss:/ { rss[kind] += $2 }
    END { for (k in rss) if (rss[k] > 0) printf "  %7.1f MB  %s\n", rss[k] / 1024, k }' "/proc/$1/smaps" | sort -rn
  echo "  threads: $(ls "/proc/$1/task" | wc -l)"
  echo "  largest files mapped (resident MB):"
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = $6 } /^Rss:/ && name ~ /\// { rss[name] += $2 }
       END { for (n in rss) printf "  %7.1f MB  %s\n", rss[n] / 1024, n }' "/proc/$1/smaps" | sort -rn | head -25
}

switches() {  # voluntary + involuntary context switches of the main thread
  awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$1/task/$1/status"
}
rss_mb() {  # resident, then proportional (shared pages split among their users), then private
  awk '/^Rss:/ { r = $2 } /^Pss:/ { p = $2 } /^Private_(Clean|Dirty):/ { u += $2 }
       END { printf "%.1f MB resident (%.1f MB proportional, %.1f MB private)", r / 1024, p / 1024, u / 1024 }' \
    "/proc/$1/smaps_rollup"
}

# 1. Idle: the logon's checks end, then SECONDS without any.
start_korvalin 1
first_startup_ms="$startup_ms"
first_cpu_ms="$startup_cpu_ms"
first_load="$startup_load"
sleep 15
before="$(switches "$kpid")"
sleep "$seconds"
after="$(switches "$kpid")"
idle_rss="$(rss_mb "$kpid")"
kill "$kpid"; wait "$kpid" 2>/dev/null || true
wakeups="$(awk -v a="$after" -v b="$before" -v s="$seconds" 'BEGIN { printf "%.2f", (a - b) / s }')"

# 2. Memory after 10 checks: the timer every 4 s.
export KORVALIN_CHECK_SECONDS=4
start_korvalin 2
sleep 46
checked_rss="$(rss_mb "$kpid")"
if [ "$smaps" = 1 ]; then checked_smaps="$(smaps_breakdown "$kpid")"; fi
kill "$kpid"; wait "$kpid" 2>/dev/null || true
unset KORVALIN_CHECK_SECONDS

echo "accounts: $accounts ($pop_accounts POP, $((${#web[@]} / 2)) web-mail)"
echo "start-up to window: $first_startup_ms ms, $startup_ms ms (two runs)"
echo "CPU time to window: $first_cpu_ms ms, $startup_cpu_ms ms (load average $first_load; $startup_load)"
if [ "$stages" = 1 ]; then
  for run in 1 2; do
    echo "start-up stages, run $run (ms since launch, CPU ms):"
    sed -n 's/^korvalin start-up: /  /p' "$work/korvalin$run.log"
  done
fi
echo "UI-thread wakeups between checks: $wakeups per second (over $seconds s)"
echo "memory idle after the logon: $idle_rss"
echo "memory after 10 checks: $checked_rss"
if [ "$smaps" = 1 ]; then echo "$checked_smaps"; fi
