#!/bin/bash
# CPU use of the running game, idle between battles (at its menus), under Xvfb.
# usage: tests/e2e/measure-idle-cpu.sh <path to the ordnix binary> [seconds, default 10] [display number, default 93]
set -u
BIN=$1; SECS=${2:-10}; N=${3:-93}
D=$(mktemp -d); mkdir -p $D/rt; chmod 700 $D/rt
Xvfb :$N -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & X=$!
sleep 1
DISPLAY=:$N XDG_RUNTIME_DIR=$D/rt XDG_CONFIG_HOME=$D SDL_AUDIODRIVER=dummy $BIN >/dev/null 2>&1 & P=$!
sleep 3
TCK=$(getconf CLK_TCK)
read -r a b < <(awk '{print $14, $15}' /proc/$P/stat)
s=$(date +%s%N)
sleep $SECS
read -r c d < <(awk '{print $14, $15}' /proc/$P/stat)
e=$(date +%s%N)
awk -v cpu=$((c + d - a - b)) -v tck="$TCK" -v ns=$((e - s)) -v bin="$BIN" \
  'BEGIN { printf "%s: %.0f ms of CPU in %.0f ms = %.2f %% of one core\n", bin, cpu * 1000 / tck, ns / 1e6, cpu * 100 / tck / (ns / 1e9) }'
kill $P; wait $P 2>/dev/null; kill $X; wait $X 2>/dev/null; rm -rf $D
