#!/usr/bin/env bash
# Runs a service through the service control manager of a private Wine prefix and checks the
# four lifecycle entries in Wine's event-log trace.
#   service_run.sh PROBE.exe [SERVICE.exe]
# Without SERVICE.exe the probe installs and serves itself; with it (the program) the service
# is registered with sc and the probe only drives it.
set -euo pipefail
probe=$1
service=${2:-}
build=$(cd "$(dirname "$probe")" && pwd)
wine_run=$(dirname "$0")/../../scripts/wine-run
export WINEPREFIX="$build/wineprefix-service"
export WINEDLLOVERRIDES="mscoree,mshtml="
log="$build/service_run.log"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
# wine-run makes the prefix, and reports 77 (skipped) where 32-bit code cannot run.
WINEDEBUG=-all "$wine_run" "$probe" -uninstall >/dev/null 2>&1 || { [ $? -ne 77 ] || exit 77; }
# A fresh wineserver, so that the service manager and the service inherit the trace channel
# and write their trace into our log.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
export WINEDEBUG=-all,+eventlog
{
  "$wine_run" "$probe" -uninstall || true
  if [ -z "$service" ]; then
    "$wine_run" "$probe" -install
  else
    winpath=$(winepath -w "$service")
    wine sc create "Orvanta Vesperon" binPath= "\"$winpath\"" DisplayName= "Orvanta Duskline"
  fi
  "$wine_run" "$probe" -control
  "$wine_run" "$probe" -uninstall
  wineserver -w
} >"$log" 2>&1 || { cat "$log"; exit 1; }
# All four entries, in the order the requests came.
order=$(grep -o 'Service \(started\|paused\|continued\|stopped\)' "$log" | tr '\n' ',')
if [ "$order" != "Service started,Service paused,Service continued,Service stopped," ]; then
  cat "$log"
  echo "event-log entries: ${order:-none}"
  exit 1
fi
