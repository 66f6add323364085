#!/usr/bin/env bash
# The system service as an administrator runs it: a minimal Debian booted with systemd-nspawn,
# the package installed into it with apt (so that its Depends hold) while it runs, the unit
# enabled, sessions made through PAM as a log-in makes them, and the actions carried out by the
# real logind, polkit and system bus. Then the faults: polkit's rule gone, logind restarted,
# the service killed, a policy.ini that is no file or no text, a burst of calls on the bus.
# Several containers run at once, so that their checks share the same minutes.
#
# One line per check: "system: NAME: PASS" or "system: NAME: FAIL (why)". Exit 77 with
# "NOT TESTED" and why where systemd-nspawn cannot run.
#
# Usage: system_container.sh DEB WORK             the checks
#        system_container.sh DEB WORK --measure S the idle service's memory, CPU and journal
#                                                  over S seconds
# WORK keeps the Debian tree between runs (tree/, rebuilt when its recipe changes) and the
# downloaded packages (apt/).
set -uo pipefail
deb=$(realpath "$1") work=$2 mode=${3:-} seconds=${4:-3600}
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

not_tested() {
  echo "system: NOT TESTED: $*"
  exit 77
}
[ "$(id -u)" = 0 ] || not_tested "systemd-nspawn and debootstrap need root"
for tool in systemd-nspawn debootstrap nsenter; do
  command -v $tool >/dev/null || not_tested "$tool is not installed"
done
mkdir -p "$work/apt/partial"
work=$(realpath "$work")
tree=$work/tree run=$work/run${mode:+-measure}

# --- the tree: debootstrap once, from the Debian archive this machine's apt uses ----------
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || not_tested "this machine names no Debian release"
# Each Debian suite of that release apt knows (the release, its updates, its security fixes).
sources=$(apt-get indextargets --format '$(ORIGIN)|$(CODENAME)|$(REPO_URI)|$(RELEASE)|$(COMPONENT)' \
  'Identifier: Packages' | awk -F'|' -v c="$codename" \
  '$1 == "Debian" && index($2, c) == 1 { print "deb " $3 " " $4 " " $5 }' | sort -u)
mirror=$(awk -v c="$codename" '$3 == c { print $2; exit }' <<<"$sources")
[ -n "$mirror" ] || not_tested "apt knows no Debian archive for $codename"
packages=systemd,systemd-sysv,dbus,polkitd,libpam-systemd
recipe=$(printf '%s\n' "$packages" "$sources" alice:1001 bob:1002 | sha256sum | cut -c1-16)
if [ "$(cat "$tree/.recipe" 2>/dev/null)" != "$recipe" ]; then
  started=$(date +%s)
  rm -rf "$tree" "$tree.new"
  if ! debootstrap --variant=minbase --include=$packages --cache-dir="$work/apt" \
    "$codename" "$tree.new" "$mirror" >"$work/debootstrap.log" 2>&1; then
    echo "system: tree: FAIL (debootstrap: $(tail -1 "$work/debootstrap.log"))"
    exit 1
  fi
  echo "$sources" >"$tree.new/etc/apt/sources.list"
  # Two users: alice logs in graphically, bob at a text console.
  chroot "$tree.new" sh -c 'useradd -m -u 1001 alice && useradd -m -u 1002 bob &&
    apt-get update -qq' >>"$work/debootstrap.log" 2>&1 ||
    { echo "system: tree: FAIL (users or apt-get update)"; exit 1; }
  rm -f "$tree.new"/var/cache/apt/archives/*.deb
  echo "$recipe" >"$tree.new/.recipe"
  mv "$tree.new" "$tree"
  echo "system: tree: debootstrap took $(($(date +%s) - started)) s"
fi

# --- containers: an overlay over the tree each, booted in the background ------------------
cleanup() {
  local folder pid
  for folder in "$run"/*/; do
    pid=$(cat "$folder/nspawn.pid" 2>/dev/null) &&
      [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = systemd-nspawn ] &&
      kill "$pid" && timeout 20 tail --pid="$pid" -f /dev/null
    umount "$folder/root" 2>/dev/null
  done
}
trap cleanup EXIT
for old in "$run"/*/root; do umount "$old" 2>/dev/null; done
rm -rf "$run"
mkdir -p "$run"

layer() {  # layer NAME LOWER...: an overlay of its own over the lower folders, at run/NAME/root
  local name=$1 lower
  shift
  lower=$(IFS=:; echo "$*")
  mkdir -p "$run/$name/upper" "$run/$name/work" "$run/$name/root"
  mount -t overlay overlay -o "lowerdir=$lower,upperdir=$run/$name/upper,workdir=$run/$name/work" \
    "$run/$name/root"
}
leader() {  # the container's PID 1: the child of its systemd-nspawn
  ps --ppid "$(cat "$run/$1/nspawn.pid")" -o pid= 2>/dev/null | head -1 | tr -d ' '
}
inside() {  # inside NAME COMMAND...: runs COMMAND in the container's namespaces
  local name=$1
  shift
  nsenter -t "$(leader "$name")" -a "$@"
}
boot() {  # boot NAME OPTION...: starts the container, waits until its system runs
  local name=$1 n
  shift
  systemd-nspawn -q -b --register=no --keep-unit -M "dl-$name" -D "$run/$name/root" "$@" \
    >"$run/$name/console.log" 2>&1 </dev/null &
  echo $! >"$run/$name/nspawn.pid"
  local state
  for n in $(seq 300); do
    state=$(inside "$name" systemctl is-system-running 2>/dev/null)
    case $state in running | degraded | maintenance) break ;; esac
    sleep 0.3
  done
  [ "$state" = running ] || { echo "boot of $name: $state ($(tail -2 "$run/$name/console.log" | tr '\n' ' '))"; return 1; }
}

# The package installed with apt into a running system, the unit enabled and started; this
# layer is the lower one of every container below.
layer install "$tree"
cp "$deb" "$run/install/root/root/duskline.deb"
boot install --bind="$work/apt:/var/cache/apt/archives" ||
  not_tested "systemd-nspawn cannot boot a container here: $(tail -3 "$run/install/console.log" | tr '\n' ' ')"
if ! inside install sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends /root/duskline.deb' >"$run/install/apt.log" 2>&1; then
  echo "system: installs with apt: FAIL ($(tail -1 "$run/install/apt.log"))"
  exit 1
fi
inside install sh -c 'install -d -m 755 /etc/duskline && systemctl enable --now duskline-system' \
  >>"$run/install/apt.log" 2>&1
if [ "$(inside install systemctl is-active duskline-system)" = active ]; then
  echo "system: installs with apt and starts on a running system: PASS"
else
  echo "system: installs with apt and starts on a running system: FAIL ($(inside install \
    journalctl -b -q -o cat --no-pager -u duskline-system -u dbus | tail -2 | tr '\n' ' '))"
fi
# A log-in's process: runs the bus method a test asks for as a process of that session.
cat >"$run/install/root/usr/local/bin/dl-session" <<'EOF'
#!/bin/sh
while :; do
  if [ -e /run/dl/$USER.ask ]; then
    method=$(cat /run/dl/$USER.ask)
    rm -f /run/dl/$USER.ask
    busctl --system call Duskline.Scheduler1 /Duskline/Scheduler1 Duskline.Scheduler1 \
      "$method" >/run/dl/$USER.out 2>&1
    echo "exit $?" >>/run/dl/$USER.out
  fi
  sleep 0.2
done
EOF
chmod 755 "$run/install/root/usr/local/bin/dl-session"
inside install sh -c 'rm /root/duskline.deb; systemctl poweroff'
timeout 60 tail --pid="$(cat "$run/install/nspawn.pid")" -f /dev/null
umount "$run/install/root"
rm -rf "$run/install/upper/var/log/journal"/*/*

# --- what the checks share --------------------------------------------------------------
pass() { echo "system: $1: PASS${2:+ ($2)}"; }
fail() { echo "system: $1: FAIL ($2)"; }
expect() {  # expect NAME WHY COMMAND...: PASS when COMMAND succeeds
  local name=$1 why=$2
  shift 2
  if "$@"; then pass "$name"; else fail "$name" "$why"; fi
}
policy() {  # policy NAME TEXT: writes /etc/duskline/policy.ini, renamed over the old one
  inside "$1" sh -c 'printf "%b" "$1" >/etc/duskline/policy.new && mv /etc/duskline/policy.new \
    /etc/duskline/policy.ini' - "$2"
}
property() {  # property NAME PROPERTY [USER]: the service's property as USER (root) reads it
  inside "$1" runuser -u "${3:-root}" -- busctl --system \
    --timeout=5 get-property Duskline.Scheduler1 /Duskline/Scheduler1 Duskline.Scheduler1 "$2" \
    2>&1 | sed 's/^[sb] //; s/"//g'
}
login() {  # login NAME USER TYPE: a session as PAM's login makes it, of type TYPE (x11, tty)
  inside "$1" install -d -m 777 /run/dl
  inside "$1" systemd-run -q -G -p PAMName=login -p User="$2" -E XDG_SESSION_TYPE="$3" \
    --unit="login-$2" /usr/local/bin/dl-session
}
has_session() {  # has_session NAME USER: USER has a session that is not closing
  inside "$1" loginctl list-sessions --no-legend 2>/dev/null | awk -v u="$2" '$3 == u' |
    grep -q . && [ "$(inside "$1" systemctl is-active "login-$2")" = active ]
}
ask() {  # ask NAME USER METHOD: calls METHOD from USER's session, prints what busctl said
  local n
  inside "$1" rm -f "/run/dl/$2.out"
  inside "$1" runuser -u "$2" -- sh -c "echo $3 >/run/dl/$2.ask"
  for n in $(seq 50); do
    inside "$1" grep -q '^exit' "/run/dl/$2.out" 2>/dev/null && break
    sleep 0.2
  done
  inside "$1" cat "/run/dl/$2.out" 2>/dev/null | tr '\n' ' '
}
service() {  # service NAME PROPERTY: the unit's property
  inside "$1" systemctl show -p "$2" --value duskline-system
}
rss() {  # the service's resident memory in kB
  inside "$1" sh -c 'awk "/^VmRSS/ { print \$2 }" /proc/$(systemctl show -p MainPID --value \
    duskline-system)/status'
}
journal() {  # journal NAME: the service's entries of this boot, "EPOCH.MICROS message"
  inside "$1" journalctl -b -q --no-pager -o short-unix -t duskline-system | cut -d' ' -f1,4-
}
minute_ahead() {  # minute_ahead [LEAD]: the first whole minute LEAD s (130) ahead, as an epoch
  echo $(((($(date +%s) + ${1:-130}) / 60 + 1) * 60))
}
hhmm() { inside "$1" date -d "@$2" +%H:%M; }
until_epoch() {
  local left=$(($1 - $(date +%s)))
  [ $left -le 0 ] || sleep $left
}
acted_at() {  # acted_at NAME TEXT: the epoch second of the first entry holding TEXT
  journal "$1" | grep -F -- "$2" | head -1 | cut -d. -f1
}
on_time() {  # on_time EPOCH MINUTE: EPOCH lies in the first ten seconds of MINUTE
  [ -n "$1" ] && [ "$1" -ge "$2" ] && [ "$1" -lt $(($2 + 10)) ]
}

# --- the scenarios, each in a container of its own, at the same time ----------------------
# A graphical and a text log-in; logind restarted while the service waits; log off at the
# minute ends the one and leaves the other. Before that: the unit, its sandbox, its name.
scenario_logoff() {
  local c=logoff at hm pid when
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || { fail $c "no boot"; return; }
  at=$(minute_ahead) && hm=$(hhmm $c "$at")
  policy $c "[Command]\nCode=$hm 0\n"
  login $c alice x11 && login $c bob tty
  pid=$(service $c MainPID)
  expect "unit active and running, READY=1 reached (Type=notify)" \
    "$(service $c ActiveState)/$(service $c SubState)" \
    [ "$(service $c ActiveState)/$(service $c SubState)/$(service $c Type)" = active/running/notify ]
  local started
  started=$(journal $c | grep -c ' Service started$')
  expect "\"Service started\" in the journal" "$started entries" [ "$started" = 1 ]
  local status=/proc/$pid/status init_ns net_ns
  init_ns=$(inside $c readlink /proc/1/ns/mnt) net_ns=$(inside $c readlink /proc/1/ns/net)
  expect "sandbox: no capabilities, no new privileges, seccomp, own user, mount and network namespaces" \
    "$(inside $c grep -E '^(CapEff|NoNewPrivs|Seccomp):' $status | tr '\n' ' ')" \
    [ "$(inside $c awk '/^CapEff|^NoNewPrivs|^Seccomp:/ { printf "%s ", $2 }' $status)" = "0000000000000000 1 2 " \
    -a "$(inside $c cat /proc/$pid/uid_map | awk '{ print $1 }' | tr '\n' ' ')" != "0 " \
    -a "$(inside $c readlink /proc/$pid/ns/mnt)" != "$init_ns" \
    -a "$(inside $c readlink /proc/$pid/ns/net)" != "$net_ns" ]
  echo "system: systemd-analyze security inside: $(inside $c systemd-analyze security --no-pager \
    duskline-system | tail -1 | sed 's/\x1b\[[0-9;]*m//g; s/→ //')"
  local owner
  owner=$(inside $c busctl --system status Duskline.Scheduler1 2>&1 | grep -E '^(EUID|Unit)=' |
    tr '\n' ' ')
  expect "the name is the service's on the system bus" "$owner" \
    [ "$owner" = "EUID=$(inside $c id -u duskline) Unit=duskline-system.service " ]
  expect "the bus policy lets no other user own the name" "bob got it" \
    sh -c "! nsenter -t $(leader $c) -a runuser -u bob -- busctl \
      --system call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus RequestName \
      su Duskline.Scheduler1 4 >/dev/null 2>&1"
  local user readers=
  for user in alice bob nobody; do
    readers+="$user:$(property $c Schedule $user) "
  done
  expect "any user reads the properties" "$readers" \
    [ "$readers" = "alice:$hm 0 bob:$hm 0 nobody:$hm 0 " ]
  expect "the bus policy refuses setting a property" "bob could" \
    sh -c "nsenter -t $(leader $c) -a runuser -u bob -- busctl \
      --system set-property Duskline.Scheduler1 /Duskline/Scheduler1 Duskline.Scheduler1 Phase \
      s idle 2>&1 | grep -q 'Access denied'"
  until_epoch $((at - 90))
  inside $c systemctl restart systemd-logind
  until_epoch $((at + 15))
  when=$(acted_at $c "Logoff at $hm: 1 graphical session ended")
  expect "log off at the minute, logind restarted 90 s before: the graphical session ends" \
    "$(journal $c | tail -1)" on_time "$when" "$at"
  expect "log off leaves the text log-in" "bob's session is gone" has_session $c bob
  expect "log off ends the graphical log-in" "alice's session is there" eval "! has_session $c alice"
}

# The service killed a minute before the action: systemd starts it again and the action comes
# at its minute, once.
scenario_kill() {
  local c=kill at hm when
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || { fail $c "no boot"; return; }
  at=$(minute_ahead) && hm=$(hhmm $c "$at")
  policy $c "[Command]\nCode=$hm 0\n"
  login $c alice x11
  until_epoch $((at - 70))
  inside $c systemctl kill --kill-who=main -s KILL duskline-system
  sleep 5
  expect "SIGKILL 70 s before: restarted by systemd" \
    "$(service $c ActiveState), $(service $c NRestarts) restarts" \
    [ "$(service $c ActiveState)/$(service $c NRestarts)" = active/1 ]
  until_epoch $((at + 15))
  when=$(acted_at $c "Logoff at $hm")
  expect "SIGKILL 70 s before: the action at its minute" "$(journal $c | tail -1)" \
    on_time "$when" "$at"
  expect "SIGKILL 70 s before: the action once" "$(journal $c | grep -c "Logoff at") entries" \
    [ "$(journal $c | grep -c "Logoff at")" = 1 ]
}

# Killed within the countdown's minute: the new process gives the countdown a whole minute
# again, so the action comes late; printed, not checked.
scenario_countdown_kill() {
  local c=countdown-kill at hm when
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || { fail $c "no boot"; return; }
  at=$(minute_ahead) && hm=$(hhmm $c "$at")
  login $c alice x11
  policy $c "[Command]\nCode=$hm 0\n"
  until_epoch $((at - 30))
  inside $c systemctl kill --kill-who=main -s KILL duskline-system
  until_epoch $((at + 45))
  when=$(acted_at $c "Logoff at $hm")
  echo "system: SIGKILL 30 s before (in the countdown): the action ${when:+$((when - at)) s after its minute}"
}

# Stop from a process of a graphical session is granted; from a text log-in refused.
scenario_stop() {
  local c=stop at hm said
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || { fail $c "no boot"; return; }
  at=$(minute_ahead) && hm=$(hhmm $c "$at")
  login $c alice x11 && login $c bob tty
  policy $c "[Command]\nCode=$hm 0\n"
  sleep 2
  said=$(ask $c bob Stop)
  expect "Stop from a text log-in is refused" "$said" \
    eval '[[ "$said" == *"Only a user at an active graphical session"*"exit 1"* ]]'
  said=$(ask $c alice Stop)
  expect "Stop from a graphical session is granted" "$said" [ "$said" = "exit 0 " ]
  expect "after Stop the phase is idle" "$(property $c Phase)" [ "$(property $c Phase)" = idle ]
  until_epoch $((at + 15))
  expect "after Stop nothing happens at the minute" "$(journal $c | tail -1)" \
    eval "! journal $c | grep -q 'Logoff at' && has_session $c alice && journal $c | grep -q 'Stopped from a user.s session: nothing happens at $hm'"
}

# Polkit's rule gone: logind refuses and the journal says what and why, the service goes on;
# the rule back, the next occurrence powers the container off.
scenario_power() {
  local c=power at hm rule=/usr/share/polkit-1/rules.d/50-duskline-system.rules pid when
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || { fail $c "no boot"; return; }
  login $c alice x11 && login $c bob tty
  inside $c mv $rule /root/rule
  at=$(minute_ahead) && hm=$(hhmm $c "$at")
  policy $c "[Command]\nCode=$hm 2\n"
  pid=$(service $c MainPID)
  until_epoch $((at + 15))
  local refused
  refused=$(journal $c | grep -F "Power Off at $hm was refused: ")
  echo "system: polkit's rule removed, the journal: ${refused#* }"
  expect "polkit's rule removed: refused, with what and why in the journal" "$(journal $c | tail -1)" \
    eval '[ -n "$refused" ] && on_time "${refused%%.*}" "$at"'
  expect "polkit's rule removed: the service goes on" "$(service $c ActiveState)" \
    [ "$(service $c MainPID)" = "$pid" ]
  inside $c mv /root/rule $rule
  at=$(minute_ahead 60) && hm=$(hhmm $c "$at")
  policy $c "[Command]\nCode=$hm 2\n"
  timeout $((at + 60 - $(date +%s))) tail --pid="$(cat "$run/$c/nspawn.pid")" -f /dev/null
  when=$(date +%s)
  expect "power off at the minute through logind and polkit's rule (the rule back)" \
    "the container ran until $(date -d @$when +%T), the minute was $hm" on_time "$when" "$at"
  journalctl -D "$run/$c/upper/var/log/journal"/* -q -o short-unix --no-pager -t duskline-system \
    -t systemd-logind | grep -E 'Power Off at|[Pp]ower(ing)? ?(off|down)' | sed 's/^/system:   /'
}

# /etc/duskline/policy.ini replaced while the service runs by what is no policy: ignored with
# one journal entry, the service answering, its memory bounded, no schedule.
scenario_policy() {
  local c=policy fault before lines base kb said
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || { fail $c "no boot"; return; }
  policy $c "[Command]\nCode=03:00 0\n"
  sleep 2
  base=$(rss $c)
  for fault in directory fifo dangling-symlink 100MB-file binary-garbage; do
    lines=$(journal $c | wc -l)
    inside $c rm -rf /etc/duskline/policy.ini
    case $fault in
      directory) inside $c mkdir /etc/duskline/policy.ini ;;
      fifo) inside $c mkfifo -m 644 /etc/duskline/policy.ini ;;
      dangling-symlink) inside $c ln -s /etc/duskline/nowhere.ini /etc/duskline/policy.ini ;;
      100MB-file) inside $c sh -c '{ printf "[Command]\nCode=03:00 0\n"; head -c 100M /dev/zero |
        tr "\0" "#"; } >/etc/duskline/policy.ini' ;;
      binary-garbage) inside $c sh -c 'head -c 65536 /dev/urandom >/etc/duskline/policy.ini' ;;
    esac
    sleep 3
    said=$(property $c Schedule)
    kb=$(rss $c)
    expect "policy.ini a $fault: ignored, one journal entry, answering, memory bounded" \
      "schedule '$said', $(($(journal $c | wc -l) - lines)) entries: $(journal $c | tail -1 | cut -d' ' -f2-), RSS $base -> $kb kB" \
      [ -z "$said" -a $(($(journal $c | wc -l) - lines)) = 1 -a "$kb" -lt $((base + 4096)) ]
    journal $c | tail -1 | sed 's/^[^ ]* /system:   /'
    inside $c rm -rf /etc/duskline/policy.ini
    policy $c "[Command]\nCode=03:00 0\n"
    sleep 2
    [ "$(property $c Schedule)" = "03:00 0" ] || fail "policy.ini back after the $fault" \
      "schedule '$(property $c Schedule)'"
  done
}

# 10,000 calls at once from an unprivileged user: each answered or refused, the memory back,
# the action on time.
scenario_burst() {
  local c=burst at hm before after again said when started
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || { fail $c "no boot"; return; }
  at=$(minute_ahead) && hm=$(hhmm $c "$at")
  login $c alice x11
  policy $c "[Command]\nCode=$hm 0\n"
  sleep 2
  before=$(rss $c) started=$(date +%s)
  said=$(nsenter -t "$(leader $c)" -p $python "$here/bus_burst.py" \
    "/proc/$(leader $c)/root/run/dbus/system_bus_socket" 1002 10000)
  echo "system: 10,000 calls in $(($(date +%s) - started)) s: $said"
  sleep 5
  after=$(rss $c)
  expect "10,000 calls from bob: each answered or refused" "$said" \
    [ "${said%% Duskline*}" = "answered 3334 refused 6666 unanswered 0" ]
  # Again: what the first burst left behind must not grow with the next.
  nsenter -t "$(leader $c)" -p $python "$here/bus_burst.py" \
    "/proc/$(leader $c)/root/run/dbus/system_bus_socket" 1002 10000 >/dev/null
  sleep 5
  again=$(rss $c)
  echo "system: 10,000 calls: resident memory $before kB before, $after kB after, $again kB after 10,000 more"
  expect "10,000 calls: the memory back" "$before -> $after -> $again kB" \
    [ "$after" -lt $((before + 1024)) -a "$again" -lt $((after + 256)) ]
  until_epoch $((at + 15))
  when=$(acted_at $c "Logoff at $hm")
  expect "10,000 calls: the action on time" "$(journal $c | tail -1)" on_time "$when" "$at"
}

# The idle service over a while: its memory, its CPU time, its wake-ups (the context switches of
# all its threads) and the journal's lines.
measure() {
  local c=measure pid cpu0 wakes0 lines0 all0 kb max=0 min= start
  layer $c "$run/install/upper" "$tree" && boot $c --private-network || exit 1
  login $c alice x11
  policy $c "[Command]\nCode=$(inside $c date -d '-1 hour' +%H:%M) 0\n"
  sleep 5
  pid=$(service $c MainPID)
  cpu() { inside $c sh -c "cat /proc/$pid/task/*/schedstat" | awk '{ n += $1 } END { print n }'; }
  wakes() { inside $c sh -c "cat /proc/$pid/task/*/status" | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
  cpu0=$(cpu) wakes0=$(wakes) lines0=$(journal $c | wc -l) start=$(date +%s)
  all0=$(inside $c journalctl -b -q --no-pager -o cat | wc -l)
  while [ $(($(date +%s) - start)) -lt "$seconds" ]; do
    kb=$(rss $c)
    [ "$kb" -gt $max ] && max=$kb
    [ -z "$min" ] || [ "$kb" -lt "$min" ] && min=$kb
    sleep 10
  done
  echo "measure: $seconds s idle: resident memory $min..$max kB (last $(rss $c) kB)," \
    "CPU $((($(cpu) - cpu0) / 1000000)) ms, $(($(wakes) - wakes0)) context switches," \
    "service's journal lines $(($(journal $c | wc -l) - lines0))," \
    "all journal lines $(($(inside $c journalctl -b -q --no-pager -o cat | wc -l) - all0))," \
    "restarts $(service $c NRestarts)"
}

if [ "$mode" = --measure ]; then
  measure
  exit 0
fi
started=$(date +%s)
for scenario in logoff kill countdown_kill stop power policy burst; do
  scenario_$scenario >"$run/$scenario.log" 2>&1 &
  sleep 1
done
wait
cat "$run"/{logoff,kill,countdown_kill,stop,power,policy,burst}.log | grep '^system: '
echo "system: the checks took $(($(date +%s) - started)) s"
! grep -q '^system: .*: FAIL' "$run"/*.log
