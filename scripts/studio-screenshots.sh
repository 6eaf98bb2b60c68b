#!/usr/bin/env bash
# Starts the studio under Xvfb with the sample project, runs the game and
# writes screenshots of the main window and of the emulator window, for a
# developer to look at.
#   scripts/studio-screenshots.sh [BUILD] [OUT]   (defaults: build, build/screenshots)
# Needs xvfb-run, xdotool and imagemagick's import.
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-$BUILD/screenshots}
STUDIO="$(cd "$BUILD" && pwd)/apps/TarvolinStudio"
[ -x "$STUDIO" ] || { echo "No se encuentra $STUDIO; compile primero (make build)." >&2; exit 2; }
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "Falta $tool (scripts/install-deps.sh lo instala)." >&2; exit 2; }
done
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
# The sample is copied so that nothing the studio writes lands in the tree;
# the settings place the windows side by side on the virtual screen and
# skip the start-up windows.
cp -r examples/demo "$WORK/demo"
mkdir -p "$WORK/config/tarvolin"
cat > "$WORK/config/tarvolin/Settings.txt" <<'SETTINGS'
#WINDOW_MAIN_X
0
#WINDOW_MAIN_Y
0
#WINDOW_MAIN_WIDTH
1100
#WINDOW_MAIN_HEIGHT
760
#WINDOW_MAIN_MAXIMISE
FALSE
#WINDOW_LOG_MINIMISE
FALSE
#WINDOW_EMULATOR_X
1110
#WINDOW_EMULATOR_Y
40
#TIPS_SHOW_STARTUP
FALSE
#NEW_FEATURES_SHOW_STARTUP
FALSE
SETTINGS

cat > "$WORK/inside.sh" <<INSIDE
#!/usr/bin/env bash
set -u
export XDG_CONFIG_HOME="$WORK/config" SDL_AUDIODRIVER=dummy
cd "$WORK"
"$STUDIO" -P"$WORK/demo/demo.tvp" -S"main.txt" --run --quit-after 9000 --stats > "$OUT/studio-stats.txt" 2>"$WORK/stderr.txt" &
PID=\$!
sleep 5
EMU=\$(xdotool search --name '^\[Emulador\]' | head -1)
MAIN=\$(xdotool search --name '^Tarvolin - ' | head -1)
import -window root "$OUT/studio-screen.png"
[ -n "\$MAIN" ] && import -window "\$MAIN" "$OUT/studio-main.png"
[ -n "\$EMU" ] && import -window "\$EMU" "$OUT/studio-emulator.png"
wait \$PID
INSIDE
chmod +x "$WORK/inside.sh"
xvfb-run -a -s "-screen 0 1600x1000x24" "$WORK/inside.sh"
echo "Capturas en $OUT:"
ls -1 "$OUT"
