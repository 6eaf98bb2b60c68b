#!/usr/bin/env bash
# The studio's running figures: frames per second and the process's share of
# one core while the sample game runs for 10 s (offscreen and under Xvfb),
# the same share while the studio stands idle, and the time from the start
# of the process to a shown window with the sample open (the whole run of a
# studio that quits as soon as it is up).
#   scripts/studio-figures.sh [BUILD]
set -euo pipefail
BUILD=${1:-build}
STUDIO="$(cd "$BUILD" && pwd)/apps/TarvolinStudio"
[ -x "$STUDIO" ] || { echo "No se encuentra $STUDIO" >&2; exit 2; }
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cp -r examples/demo "$WORK/demo"
mkdir -p "$WORK/config/tarvolin"
printf '#TIPS_SHOW_STARTUP\nFALSE\n\n#NEW_FEATURES_SHOW_STARTUP\nFALSE\n\n#WINDOW_MAIN_MAXIMISE\nFALSE\n\n' \
  > "$WORK/config/tarvolin/Settings.txt"
export XDG_CONFIG_HOME="$WORK/config" SDL_AUDIODRIVER=dummy
TICKS=$(getconf CLK_TCK)

# Runs the studio for SECONDS with ARGS; prints its fps lines and its CPU
# share over the last 10 s.
measure() {
  local label=$1 seconds=$2; shift 2
  "$STUDIO" -P"$WORK/demo/demo.tvp" --quit-after $((seconds * 1000)) --stats "$@" \
    > "$WORK/stats.txt" 2>/dev/null &
  local pid=$! before after
  sleep $((seconds - 11))
  before=$(awk '{print $14 + $15}' /proc/$pid/stat)
  sleep 10
  after=$(awk '{print $14 + $15}' /proc/$pid/stat)
  wait $pid || true
  local fps
  fps=$(awk '/^fps/ {print $2}' "$WORK/stats.txt" | tail -10 | tr '\n' ' ')
  printf '%-28s cpu %5.1f %% de un núcleo   fps (último 10 s): %s\n' "$label" \
    "$(echo "($after - $before) * 100 / ($TICKS * 10)" | bc -l)" "${fps:--}"
}

startup() {
  local best=999999 t
  for _ in 1 2 3 4 5; do
    /usr/bin/time -o "$WORK/time.txt" -f '%e' "$STUDIO" -P"$WORK/demo/demo.tvp" --quit-after 1 \
      >/dev/null 2>&1
    t=$(tail -1 "$WORK/time.txt")
    best=$(echo "if ($t < $best) $t else $best" | bc -l)
  done
  printf '%-28s %.2f s (el mejor de 5: inicio, ventana, proyecto abierto y cierre)\n' "$1" "$best"
}

echo "== offscreen"
export QT_QPA_PLATFORM=offscreen
measure "juego corriendo" 13 --run
measure "en reposo" 13
startup "arranque"
echo "== Xvfb"
unset QT_QPA_PLATFORM
cat > "$WORK/xvfb.sh" <<INSIDE
#!/usr/bin/env bash
set -euo pipefail
$(declare -f measure startup)
STUDIO="$STUDIO" WORK="$WORK" TICKS=$TICKS
measure "juego corriendo" 13 --run
measure "en reposo" 13
startup "arranque"
INSIDE
chmod +x "$WORK/xvfb.sh"
xvfb-run -a -s "-screen 0 1600x1000x24" "$WORK/xvfb.sh"
