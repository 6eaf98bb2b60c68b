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
  # The studio works on a copy in a folder of its own, so that what it
  # writes (saved scripts, screenshots, save games) never lands in the
  # source tree; the copy is kept for the developer to look at.
  STUDIO="$(cd "$(dirname "$STUDIO")" && pwd)/$(basename "$STUDIO")"
  WORK="$(mktemp -d "${TMPDIR:-/tmp}/tarvolin-ejemplo.XXXXXX")"
  cp -r examples/demo "$WORK/demo"
  echo "El ejemplo se abre desde una copia en $WORK/demo" >&2
  cd "$WORK"
  exec "$STUDIO" -P"$WORK/demo/demo.tvp" -S"main.txt"
fi
if [ -x "$STUDIO" ]; then
  echo "No hay pantalla (DISPLAY no está definido): se ejecuta el ejemplo sin ventanas." >&2
fi
exec "$TOOL" run "$SAMPLE" --frames 60
