#!/usr/bin/env bash
# Starts and stops Debian's snmpd for test programs that cannot do it
# themselves (the Windows tests under Wine; see tests/snmp/SnmpAgent.h).
#
#   scripts/snmp-agents.sh SPOOL
#
# A program writes SPOOL/<address>.conf (whole, by rename); this starts
# snmpd with that configuration on udp:<address>:161, its state and log
# beside it, and answers with SPOOL/<address>.pid: the agent's pid, or a line
# saying why there is none.  When the .conf is removed, the agent is stopped
# by its pid and the .pid removed.  Only loopback addresses are served.  On
# TERM or INT, or once the caller is gone, every agent still running is
# stopped.
set -uo pipefail
spool="$1"
snmpd="$(PATH="/usr/sbin:/usr/local/sbin:$PATH" command -v snmpd || true)"
declare -A pids=()

answer() { # address text
  printf '%s\n' "$2" >"$spool/$1.pid.new" && mv -f "$spool/$1.pid.new" "$spool/$1.pid"
}

stop_agent() { # address
  local pid="${pids[$1]}"
  if [ "$pid" -gt 0 ]; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  unset "pids[$1]"
  rm -rf "$spool/$1.state"
  rm -f "$spool/$1.log" "$spool/$1.pid"
}

stop_all() {
  for address in "${!pids[@]}"; do
    stop_agent "$address"
  done
  exit 0
}
trap stop_all TERM INT

while kill -0 "$PPID" 2>/dev/null; do
  for conf in "$spool"/*.conf; do
    [ -f "$conf" ] || continue
    address="$(basename "$conf" .conf)"
    [ -n "${pids[$address]:-}" ] && continue
    pids[$address]=0
    if ! [[ "$address" =~ ^127\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}$ ]]; then
      answer "$address" "refused: $address is not a loopback address"
    elif [ -z "$snmpd" ]; then
      answer "$address" "snmpd is not installed"
    else
      mkdir -p "$spool/$address.state"
      SNMP_PERSISTENT_DIR="$spool/$address.state" MIBS='' \
        "$snmpd" -f -C -c "$conf" -Lf "$spool/$address.log" "udp:$address:161" </dev/null >/dev/null 2>&1 &
      pids[$address]=$!
      answer "$address" "$!"
    fi
  done
  for address in "${!pids[@]}"; do
    [ -f "$spool/$address.conf" ] || stop_agent "$address"
  done
  sleep 0.05
done
stop_all
