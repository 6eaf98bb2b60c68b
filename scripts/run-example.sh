#!/usr/bin/env bash
# Starts the main job from the build tree: the studio with the sample project
# open when there is a display; without one, says so and runs the sample
# headless with the command-line tool.
set -euo pipefail
BUILD=${1:-build}
STUDIO="$BUILD/apps/TarvolinStudio"
TOOL="$BUILD/apps/tarvolin"
SAMPLE=examples/demo/demo.tvp
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$STUDIO" ]; then
  exec "$STUDIO" -P"$SAMPLE" -S"main.txt"
fi
if [ -x "$STUDIO" ]; then
  echo "No hay pantalla (DISPLAY no está definido): se ejecuta el ejemplo sin ventanas." >&2
fi
exec "$TOOL" run "$SAMPLE" --frames 60
