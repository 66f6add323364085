#!/bin/sh
# The system service's unit as systemd reads it: it verifies, with the program in the place
# the package puts it (bound there in a mount namespace of our own), and its exposure stays
# below 3 (30 in tenths).
# Usage: system_unit.sh UNIT PROGRAM
set -eu
unit=$1 program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/up/duskline" "$work/work"
cp "$program" "$work/up/duskline/duskline-system"
map=
[ "$(id -u)" = 0 ] || map=--map-root-user
unshare --mount $map sh -c 'mount -t overlay overlay -o "lowerdir=/usr/libexec,upperdir=$1/up,workdir=$1/work" /usr/libexec && exec systemd-analyze verify --man=no "$2"' - "$work" "$unit"
systemd-analyze security --offline=true --threshold=30 --no-pager "$unit" | tail -1
