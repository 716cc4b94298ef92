#!/usr/bin/env bash
# Measures how much CPU an idle explorer window uses while another program
# keeps changing a folder expanded in its tree, as programs do in /tmp: the
# window starts on WORK/shown, so WORK is expanded in the tree; a churner
# creates and deletes files and folders in WORK and files in WORK/shown as
# fast as it can, and the window's CPU time over 10 s is read from /proc. An
# idle window should stay under 2% of one core.
#   tools/idle-cpu.sh [GRABWELL] [SECONDS]
# GRABWELL defaults to build/grabwell; it runs on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
GRABWELL=${1:-build/grabwell}
SECONDS_IDLE=${2:-10}
WORK=$(mktemp -d)
HOME_DIR=$(mktemp -d)
mkdir -p "$WORK/shown"
for i in $(seq 1 200); do mkdir -p "$WORK/keep$i"; : >"$WORK/file$i"; done
churn() {
    while :; do
        for i in $(seq 1 20); do : >"$1/f$i"; mkdir -p "$1/d$i"; done
        rm -rf "$1"/f* "$1"/d*
        sleep 0.05
    done
}
churn "$WORK" & C1=$!
churn "$WORK/shown" & C2=$!
HOME=$HOME_DIR XDG_CONFIG_HOME=$HOME_DIR/.config QT_QPA_PLATFORM=offscreen "$GRABWELL" "$WORK/shown" \
    >/dev/null 2>&1 & G=$!
cleanup() { kill "$C1" "$C2" "$G" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$WORK" "$HOME_DIR"; }
trap cleanup EXIT
sleep 4 # start-up and the first listing
ticks() { awk '{print $14 + $15}' "/proc/$G/stat"; }
HZ=$(getconf CLK_TCK)
kill -0 "$G" || { echo "grabwell did not start" >&2; exit 1; }
t0=$(ticks)
sleep "$SECONDS_IDLE"
t1=$(ticks)
awk -v d=$((t1 - t0)) -v hz="$HZ" -v s="$SECONDS_IDLE" \
    'BEGIN { printf "idle CPU with two churning folders: %.1f%% of one core over %d s\n", 100 * d / hz / s, s }'
