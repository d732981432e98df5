#!/usr/bin/env bash
# make measure: the running game against a bare Qt 6 window of the same stack (bench/desktop), under Xvfb.
# Prints the figures of each program, then
#   ratio startup = X          median exec-to-first-map of the game over the bare window's
#   extra rss_mib = Y          median resident set 5 s after start, the game's minus the bare window's
#   idle cpu_percent = Z       the game's own CPU time (all threads) over 30 s idle between battles
#   flight cpu_percent = W     the same while a long, high shot flies
# Environment: BUILD (default build/measure), RUNS (default 5), IDLE_SECONDS (30), FLIGHT_SECONDS (3).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build/measure}
RUNS=${RUNS:-5}
IDLE_SECONDS=${IDLE_SECONDS:-30}
FLIGHT_SECONDS=${FLIGHT_SECONDS:-3}

if [ -z "${SKIP_BUILD:-}" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORDNIX_BUILD_TESTS=OFF -DORDNIX_BUILD_BENCH=ON \
    -DORDNIX_SANITIZE=OFF >/dev/null
  cmake --build "$BUILD" -j "${JOBS:-2}" --target ordnix ordnix_barewindow ordnix_launchmap
fi
GAME=${GAME:-$BUILD/Ordnix/ordnix}
BARE=$BUILD/bench/desktop/ordnix_barewindow
LAUNCH=$BUILD/bench/desktop/ordnix_launchmap

SCRATCH=$(mktemp -d)
mkdir -m 700 "$SCRATCH/runtime"
XVFB=""
STARTED=()
cleanup() {
  for pid in "${STARTED[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$SCRATCH/display" >/dev/null 2>&1 &
XVFB=$!
for _ in $(seq 100); do [ -s "$SCRATCH/display" ] && break; sleep 0.1; done
[ -s "$SCRATCH/display" ] || { echo "measure: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$SCRATCH/display")"
# A fresh user: no stored window size, no session bus, the sound left to SDL's own choice.
export XDG_RUNTIME_DIR="$SCRATCH/runtime" XDG_CONFIG_HOME="$SCRATCH/config" HOME="$SCRATCH"
unset DBUS_SESSION_BUS_ADDRESS SDL_AUDIODRIVER ORDNIX_DUMP || true

TICK=$(getconf CLK_TCK)
# Starts a program; sets MAP_MS, PID and MAP_CPU_MS (its CPU time until the map).
launch() {
  local line
  line=$("$LAUNCH" "$@") || { echo "measure: $1 mapped no window" >&2; exit 1; }
  read -r MAP_MS PID MAP_CPU_MS <<<"$line"
  STARTED+=("$PID")
}
stop() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 100); do [ -e "/proc/$1" ] || return 0; sleep 0.05; done
  kill -9 "$1" 2>/dev/null || true
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# CPU share of one core used by process $1 over $2 seconds.
cpu_percent() {
  local before after start end
  before=$(cpu_ticks "$1"); start=$(date +%s%N)
  sleep "$2"
  after=$(cpu_ticks "$1"); end=$(date +%s%N)
  awk -v t=$((after - before)) -v hz="$TICK" -v ns=$((end - start)) 'BEGIN { printf "%.2f", t * 100 / hz / (ns / 1e9) }'
}

# Startup and resident set, the two programs alternating.
: >"$SCRATCH/game-map"; : >"$SCRATCH/bare-map"; : >"$SCRATCH/game-rss"; : >"$SCRATCH/bare-rss"
: >"$SCRATCH/game-cpu"; : >"$SCRATCH/bare-cpu"
for _ in $(seq "$RUNS"); do
  for who in game bare; do
    if [ $who = game ]; then launch "$GAME"; else launch "$BARE"; fi
    echo "$MAP_MS" >>"$SCRATCH/$who-map"
    echo "$MAP_CPU_MS" >>"$SCRATCH/$who-cpu"
    sleep "$(awk -v m="$MAP_MS" 'BEGIN { s = 5 - m / 1000; if (s < 0) s = 0; print s }')"
    rss_kib "$PID" >>"$SCRATCH/$who-rss"
    stop "$PID"
  done
done
GAME_MAP=$(median <"$SCRATCH/game-map"); BARE_MAP=$(median <"$SCRATCH/bare-map")
GAME_RSS=$(median <"$SCRATCH/game-rss"); BARE_RSS=$(median <"$SCRATCH/bare-rss")
echo "startup ms: game $GAME_MAP (runs $(paste -sd' ' "$SCRATCH/game-map")), bare $BARE_MAP (runs $(paste -sd' ' "$SCRATCH/bare-map"))"
echo "startup cpu ms: game $(median <"$SCRATCH/game-cpu"), bare $(median <"$SCRATCH/bare-cpu")"
echo "rss MiB: game $(awk -v k="$GAME_RSS" 'BEGIN { printf "%.1f", k / 1024 }'), bare $(awk -v k="$BARE_RSS" 'BEGIN { printf "%.1f", k / 1024 }')"

# Idle between battles: the game at its menus, the pointer resting over the field.
launch "$GAME"
sleep 2
eval "$(xdotool search --sync --onlyvisible --name '^Ordnix$' getwindowgeometry --shell | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
sleep 1
IDLE=$(cpu_percent "$PID" "$IDLE_SECONDS")

# A long, high shot: Battle > START A BATTLE by keyboard from the first menu title, then a strong charge,
# a steep barrel and Fire on the panel under the field.
SCALE=$((WIDTH / 512))
BAR=$((HEIGHT - 322 * SCALE))
field() { xdotool mousemove $((X + $1 * SCALE + SCALE / 2)) $((Y + BAR + $2 * SCALE + SCALE / 2)) click 1; sleep 0.5; }
xdotool mousemove $((X + 12)) $((Y + BAR / 2)) click 1; sleep 0.5
for _ in 1 2 3 4 5 6; do xdotool key Right; sleep 0.1; done
xdotool key Return; sleep 1
field $((95 + 85)) 290
field $((95 + 80)) 305
field 221 298
sleep 0.2
FLIGHT=$(cpu_percent "$PID" "$FLIGHT_SECONDS")
stop "$PID"

awk -v g="$GAME_MAP" -v b="$BARE_MAP" 'BEGIN { printf "ratio startup = %.2f\n", g / b }'
awk -v g="$GAME_RSS" -v b="$BARE_RSS" 'BEGIN { printf "extra rss_mib = %.1f\n", (g - b) / 1024 }'
echo "idle cpu_percent = $IDLE"
echo "flight cpu_percent = $FLIGHT"
