#!/usr/bin/env bash
# The download as its users get it: packaging twice gives the same bytes, the Debian package
# installs and starts, the MSI installs with the service, upgrades and goes again under Wine's
# msiexec, then the installer runs silently in a fresh Wine prefix: install, start, schedule,
# upgrade, days, refusals and removal. Needs build/win64's probe (tests/e2e/probe.cpp).
# One line per check, "release: NAME: ok" or "release: NAME: FAILED (why)"; scripts/test counts
# them.
set -uo pipefail
cd "$(dirname "$0")/../.."
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
root=$PWD
status=0
log=$root/build/release-test.log  # a file: Wine's servers would hold a pipe open
report() {  # report NAME COMMAND...: runs the check in a subshell that fail ends, prints its line
  local name=$1
  shift
  if ("$@") >"$log" 2>&1; then echo "release: $name: ok"; else
    echo "release: $name: FAILED ($(tail -1 "$log"))"
    status=1
  fi
}
fail() {
  echo "$*"
  exit 1
}

# With a download address (a local stand-in: we have none), the winget manifests come too.
export DUSKLINE_DOWNLOAD_URL=http://127.0.0.1/duskline/1.1.0
report reproducible scripts/package --check
winget_manifests() {  # the fields winget requires, and each installer's hash that of its file
  local w=$root/dist/winget id=Orvanta.Duskline f field url sum
  for f in $id.yaml $id.installer.yaml $id.locale.en-US.yaml; do
    for field in PackageIdentifier PackageVersion ManifestType ManifestVersion; do
      grep -q "^$field: ." "$w/$f" || fail "$f: no $field"
    done
    grep -q '^ManifestVersion: 1.6.0$' "$w/$f" || fail "$f: not manifest version 1.6.0"
  done
  grep -q '^DefaultLocale: en-US$' "$w/$id.yaml" || fail "no DefaultLocale"
  for field in PackageLocale Publisher PackageName License ShortDescription; do
    grep -q "^$field: ." "$w/$id.locale.en-US.yaml" || fail "locale: no $field"
  done
  [ "$(grep -c '^- Architecture: x64$' "$w/$id.installer.yaml")" = 2 ] || fail "not two installers"
  paste <(sed -n 's/^  InstallerUrl: //p' "$w/$id.installer.yaml") \
    <(sed -n 's/^  InstallerSha256: //p' "$w/$id.installer.yaml") >"$root/build/winget-sums.txt"
  [ "$(wc -l <"$root/build/winget-sums.txt")" = 2 ] || fail "not two addresses with hashes"
  while read -r url sum; do
    [ "${url%/*}" = "$DUSKLINE_DOWNLOAD_URL" ] || fail "address $url"
    [ "$sum" = "$(sha256sum "$root/dist/${url##*/}" | cut -d' ' -f1 | tr a-f A-F)" ] ||
      fail "hash of ${url##*/}"
  done <"$root/build/winget-sums.txt"
}
report winget winget_manifests

# The Debian package as a Linux user gets it: apt installs it with what it depends on, and the
# command of its desktop entry starts the program (on buses of its own, never the machine's).
deb_installs() {
  local sudo="" home
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -qq "$root/dist/duskline_1.1.0_amd64.deb" || fail "apt-get install"
  trap "$sudo apt-get purge -y -qq duskline" EXIT
  [ "$(command -v duskline)" = /usr/bin/duskline ] || fail "no /usr/bin/duskline"
  home=$(mktemp -d)
  local command
  command=$(sed -n 's/^Exec=//p' /usr/share/applications/duskline.desktop)
  HOME=$home XDG_CONFIG_HOME=$home/config DBUS_SESSION_BUS_ADDRESS=unix:path=$home/none \
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=$home/none $command &
  trap "kill $!; rm -rf $home; $sudo apt-get purge -y -qq duskline" EXIT
  for _ in $(seq 40); do
    xdotool search --onlyvisible --classname '^duskline$' >/dev/null && break
    sleep 0.5
  done
  xdotool search --onlyvisible --classname '^duskline$' >/dev/null || fail "no window"
}
report deb deb_installs

x64=$root/build/package/x64/duskline.exe
# The MSI, as an administrator deploys it: msiexec /qn in a fresh 64-bit prefix of its own.
# Removed while its program runs, it leaves the file for the next restart and says so (3010).
wine64=/usr/lib/wine/wine64
msi=$(ls "$root"/dist/Duskline-*-x64.msi)
upgrade=$root/build/release-test/Duskline-1.1.1-x64.msi
mkdir -p "$root/build/release-test"
scripts/package --msi 1.1.1 "$upgrade" || status=1
export WINEPREFIX=$root/build/release-test/msi-prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
$wine64 wineboot -i >/dev/null 2>&1
wineserver -w
# A server that stays, as Windows does: without it Wine's service manager would end with each
# command and start the automatic service anew with the next, in the middle of msiexec's work.
wineserver -p >/dev/null 2>&1
pc=$WINEPREFIX/drive_c
pf="$pc/Program Files/Duskline"
service='HKLM\System\CurrentControlSet\Services\Orvanta Vesperon'
event_source='HKLM\System\CurrentControlSet\Services\EventLog\Application\Orvanta Vesperon'
mtree() {  # msiexec's own cache folder comes with the first installation, as on Windows
  find "$pc" -path "$pc/users/*/Temp" -prune -o -path "$pc/windows/temp" -prune \
    -o -path "$pc/windows/Installer" -prune -o -print | sort
}
mtree >"$root/build/release-test/msi-before.txt"
msiexec() { timeout 300 $wine64 msiexec "$@" >/dev/null 2>&1; }
reg_value() {  # reg_value KEY NAME: the data, or nothing
  $wine64 reg query "$1" /v "$2" 2>/dev/null | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | tr -d '\r'
}
ini() { tr -d '\r' <"$pf/Vesperon.ini"; }
# Running, and given a few seconds more: Wine's msiexec cannot stop a service in its first
# seconds (ControlService fails with 1061), and then cannot replace its program file.
service_settled() {
  for _ in $(seq 30); do
    $wine64 sc query "Orvanta Vesperon" | grep -q RUNNING && sleep 5 && return 0
    sleep 1
  done
  return 1
}
msi_malformed_refused() {
  local bad
  for bad in "SCHEDULE=25:00 1" "SCHEDULE=22:30 7" "SCHEDULE=2230 1" "DAYS=Tue Mon" "DAYS=mon"; do
    msiexec /i "$msi" /qn "$bad" && fail "\"$bad\" not refused"
    [ ! -e "$pf" ] || fail "\"$bad\" installed"
  done
}
msi_installs_service() {
  msiexec /i "$msi" /qn "SCHEDULE=22:30 2" SERVICE=1 || fail "msiexec /i exit code $?"
  for f in duskline.exe README.txt LICENSE.txt; do [ -f "$pf/$f" ] || fail "no $f"; done
  cmp -s "$pf/duskline.exe" "$x64" || fail "not the x64 program"
  [ "$(ini)" = $'[Command]\nCode=22:30 2' ] || fail "Vesperon.ini: $(ini)"
  # Wine puts the all-users Start menu's entries into the user's.
  find "$pc" -path '*/Start Menu/Programs/Duskline.lnk' | grep -q . || fail "no shortcut"
  # As duskline.exe -install registers it, started with Windows (2), own process and
  # interactive (0x110); the path quoted, a restart 60 s after the first and the second crash
  # (1, 60000 ms), nothing after the third, the count reset after a day (86400 s).
  [ "$(reg_value "$service" ImagePath)" = '"C:\Program Files\Duskline\duskline.exe"' ] ||
    fail "ImagePath $(reg_value "$service" ImagePath)"
  [ "$(reg_value "$service" FailureActions)" = 8051010000000000000000000300000014000000$(
    )0100000060EA00000100000060EA00000000000000000000 ] || fail "failure actions"
  [ "$(reg_value "$event_source" EventMessageFile)" = 'C:\Program Files\Duskline\duskline.exe' ] &&
    $wine64 reg query "$event_source" /v EventMessageFile | grep -q REG_EXPAND_SZ ||
    fail "EventMessageFile not the program's path as REG_EXPAND_SZ"
  [ "$(reg_value "$event_source" TypesSupported)" = 0x7 ] || fail "TypesSupported"
  [ "$(reg_value "$service" DisplayName)|$(reg_value "$service" Start)|$(reg_value "$service" Type)" \
    = "Orvanta Duskline|0x2|0x110" ] || fail "display name, start or type"
  [ "$(reg_value "$service\\Parameters" TimerInterval)" = 1000 ] || fail "no TimerInterval"
  service_settled || fail "the service is not running"
}
msi_upgrade_keeps_properties() {
  msiexec /i "$upgrade" /qn "DAYS=Mon Tue Wed Thu Fri" || fail "upgrade exit code $?"
  [ "$(ini)" = $'[Command]\nCode=22:30 2\nDays=Mon Tue Wed Thu Fri' ] || fail "Vesperon.ini: $(ini)"
  service_settled || fail "the service is not running"
  [ "$($wine64 reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    grep -c 'DisplayName *REG_SZ *Duskline')" = 1 ] || fail "not one Duskline installed"
}
msi_removal_leaves_nothing() {
  msiexec /x "$upgrade" /qn || fail "msiexec /x exit code $?"
  ! $wine64 reg query "$service" >/dev/null 2>&1 || fail "the service is still registered"
  ! $wine64 reg query 'HKLM\Software\Orvanta' >/dev/null 2>&1 || fail "HKLM\Software\Orvanta left"
  mtree | diff "$root/build/release-test/msi-before.txt" - >&2 || fail "files left behind"
}
msi_keeps_the_administrators_ini() {
  msiexec /i "$msi" /qn || fail "msiexec /i exit code $?"
  printf '[Command]\r\nCode=07:15 0\r\n' >"$pf/Vesperon.ini"
  msiexec /x "$msi" /qn || fail "msiexec /x exit code $?"
  [ "$(ini)" = $'[Command]\nCode=07:15 0' ] || fail "Vesperon.ini removed or changed"
  [ ! -e "$pf/duskline.exe" ] || fail "duskline.exe left"
  rm -rf "$pf"
}
msi_held_program_goes_at_restart() {
  msiexec /i "$msi" /qn || fail "msiexec /i exit code $?"
  (cd "$pf" && exec $wine64 duskline.exe >/dev/null 2>&1) &
  local program=$!
  timeout 90 $wine64 "$root/build/win64/tests/e2e/duskline_probe.exe" wait Duskline 60 >/dev/null ||
    fail "the program did not start"
  msiexec /x "$msi" /qn
  local code=$?
  kill $program
  wineserver -k
  wineserver -w
  # 3010 as a Unix exit status: its low byte.
  [ $code = $((3010 % 256)) ] || fail "msiexec /x exit code $code, not 3010"
  $wine64 wineboot -r >/dev/null 2>&1
  wineserver -w
  [ ! -e "$pf" ] || fail "$(ls "$pf") left after the restart"
  wineserver -p >/dev/null 2>&1
}
for check in msi_malformed_refused msi_installs_service msi_upgrade_keeps_properties \
  msi_removal_leaves_nothing msi_keeps_the_administrators_ini msi_held_program_goes_at_restart; do
  report "$check" "$check"
done
wineserver -k 2>/dev/null
# The per-user installer: the shipped one is a 32-bit program, which Wine runs with its 32-bit
# loader; the same script built for 64-bit Windows runs under wine64 wherever no 32-bit code
# runs, and every check below runs on each installer that can run here.
setup32=$(ls "$root"/dist/Duskline-*-setup.exe)
setup64=$root/build/release-test/Duskline-setup64.exe
makensis -V1 -DVERSION=1.1.0 "-DSTAGE=$root/build/package" "-DOUTFILE=$setup64" -DHOMEPAGE= \
  -DTARGET=amd64-unicode packaging/duskline.nsi >/dev/null || status=1
probe=$root/build/win64/tests/e2e/duskline_probe.exe
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Duskline'
winedir='C:\users\'$(id -un)'\AppData\Local\Programs\Duskline'
tree() { find "$c" -path "$c/users/*/Temp" -prune -o -print | sort; }
value() { $wine reg query "$key" /v "$1" 2>/dev/null | sed -n "s/^ *$1 *REG_[A-Z]* *//p" | tr -d '\r'; }
run_setup() { timeout 120 $wine "$setup" "$@"; }
duskline_windows() { $wine "$probe" list | grep -c 'caption="Duskline"'; }

install() {
  run_setup /S || fail "setup exit code $?"
  for f in duskline.exe README.txt LICENSE.txt uninstall.exe; do
    [ -f "$dir/$f" ] || fail "no $f"
  done
  cmp -s "$dir/duskline.exe" "$x64" || fail "not the x64 program"
  [ -f "$c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Duskline.lnk" ] ||
    fail "no shortcut"
  [ "$(value DisplayName)|$(value DisplayVersion)|$(value Publisher)" = \
    "Duskline|1.1.0|the Duskline developers" ] || fail "name, version or publisher"
  [ "$(value DisplayIcon)|$(value InstallLocation)" = "$winedir\\duskline.exe|$winedir" ] ||
    fail "icon or location"
  [ "$(value UninstallString)|$(value QuietUninstallString)" = \
    "\"$winedir\\uninstall.exe\"|\"$winedir\\uninstall.exe\" /S" ] || fail "uninstall commands"
  # In KiB: at least what the program alone takes.
  [ $(($(value EstimatedSize))) -ge $(($(stat -c %s "$x64") / 1024)) ] ||
    fail "estimated size $(value EstimatedSize)"
}
starts() {
  (cd "$dir" && exec $wine duskline.exe >/dev/null 2>&1) &
  timeout 90 $wine "$probe" wait Duskline 60 >/dev/null || fail "no window"
}
schedule_ends_running_program() {
  run_setup /S "/SCHEDULE=22:30 1" || fail "setup exit code $?"
  grep -q '^Code=22:30 1' "$dir/Vesperon.ini" || fail "Vesperon.ini: $(cat "$dir/Vesperon.ini")"
  [ "$(duskline_windows)" = 0 ] || fail "the running program was not ended"
}
upgrade_keeps_settings() {
  printf '[Command]\r\nCode=07:15 0\r\n' >"$dir/Vesperon.ini"
  run_setup /S || fail "setup exit code $?"
  grep -q '^Code=07:15 0' "$dir/Vesperon.ini" || fail "Vesperon.ini replaced"
}
refused() {  # refused OPTION VALUE...: each value exits with 2 and installs nothing
  local option=$1 bad
  shift
  for bad in "$@"; do
    run_setup /S "$option=$bad" '/D=C:\Other'
    [ $? = 2 ] || fail "\"$bad\" not refused"
    [ ! -e "$c/Other" ] || fail "\"$bad\" installed"
  done
}
malformed_schedule_refused() { refused /SCHEDULE "25:00 1" "22:30 7" "2230 1" "7:30 1" ""; }
days_written() {
  run_setup /S "/DAYS=Mon Tue Wed Thu Fri" || fail "setup exit code $?"
  [ "$(tr -d '\r' <"$dir/Vesperon.ini")" = $'[Command]\nCode=07:15 0\nDays=Mon Tue Wed Thu Fri' ] ||
    fail "Vesperon.ini: $(cat "$dir/Vesperon.ini")"
  run_setup /S "/DAYS=Mon Tue Wed Thu Fri Sat Sun" || fail "setup exit code $?"
  ! grep -q '^Days=' "$dir/Vesperon.ini" || fail "every day kept a Days key"
}
malformed_days_refused() { refused /DAYS "Tue Mon" "Mon Mon" "mon" "Mon  Tue" ""; }
service_blocks_uninstall() {
  local service='HKLM\System\CurrentControlSet\Services\Orvanta Vesperon'
  $wine reg add "$service" /v ImagePath /d "\"$winedir\\duskline.exe\"" /f >/dev/null
  timeout 60 $wine "$dir/uninstall.exe" /S "_?=$winedir"  # in place, so its exit code is seen
  local code=$?
  $wine reg delete "$service" /f >/dev/null
  [ $code = 3 ] || fail "uninstall exit code $code"
  [ -f "$dir/duskline.exe" ] || fail "removed while the service is registered"
}
uninstall_leaves_nothing() {
  timeout 60 $wine "$dir/uninstall.exe" /S || fail "uninstall exit code $?"
  for _ in $(seq 60); do [ -e "$dir" ] && sleep 1; done  # the uninstaller goes on from Temp
  tree | diff "$WINEPREFIX/../before-$label.txt" - >&2 || fail "files left behind"
  ! $wine reg query "$key" >/dev/null 2>&1 || fail "uninstall entry left behind"
}

installer_checks() {  # installer_checks LABEL SETUP WINE: every check in a fresh prefix
  label=$1 setup=$2 wine=$3
  export WINEPREFIX=$root/build/release-test/prefix-$label
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
  $wine wineboot -i >/dev/null 2>&1
  wineserver -w
  c=$WINEPREFIX/drive_c
  dir=$c/users/$(id -un)/AppData/Local/Programs/Duskline
  tree >"$WINEPREFIX/../before-$label.txt"
  for check in install starts schedule_ends_running_program upgrade_keeps_settings days_written \
    malformed_schedule_refused malformed_days_refused service_blocks_uninstall \
    uninstall_leaves_nothing; do
    report "$label: $check" "$check"
  done
  wineserver -k 2>/dev/null
}
installer_checks setup64 "$setup64" /usr/lib/wine/wine64
if env -u LD_PRELOAD /usr/lib/wine/wine --version >/dev/null 2>&1; then
  installer_checks setup "$setup32" wine
else
  echo "release: setup: not run: this machine cannot run 32-bit code (Wine's 32-bit loader," \
    "wine32, on a kernel with IA-32 emulation); its 64-bit build ran every check"
fi
exit $status
