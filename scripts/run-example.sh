#!/usr/bin/env bash
# Starts the main job from the build tree: the headless runner on the sample project
# once it can run games, else the command-line tool's help.
set -euo pipefail
BUILD=${1:-build}
EXE="$BUILD/apps/tarvolin"
if [ -f examples/demo/demo.tvp ] && "$EXE" --help | grep -q '^  run '; then
  exec "$EXE" run examples/demo/demo.tvp --frames 60
fi
exec "$EXE" --help
