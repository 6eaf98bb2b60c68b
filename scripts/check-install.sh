#!/usr/bin/env bash
# Installs the distribution tree into a throw-away home, checks what the
# desktop sees (menu entries, the .tvp type and its default application),
# runs the installed programs from elsewhere, uninstalls twice and checks
# that nothing is left. With --screen it also starts the installed studio
# under Xvfb on a sample project, as a file manager would, and keeps a
# screenshot in BUILD/check-install/studio.png.
#   scripts/check-install.sh BUILD_DIR [--screen]
set -euo pipefail

BUILD=$(cd "${1:?Uso: check-install.sh CARPETA_DE_COMPILACION [--screen]}" && pwd)
SCREEN=${2:-}
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarvolin-install-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

fail() { echo "FALLO: $*" >&2; exit 1; }
step() { echo "== $*"; }

step "Árbol de distribución"
cmake -DBUILD_DIR="$BUILD" -DDIST_DIR="$WORK/dist" -DDIST_NAME=tarvolin \
      -DSETUP_EXE="$BUILD/apps/TarvolinSetup" -DUNINSTALL_EXE="$BUILD/apps/Uninstall" \
      -DSTRIP= -P "$SOURCE/packaging/make_dist.cmake" >/dev/null
DIST="$WORK/dist/tarvolin"
[ -x "$DIST/TarvolinSetup" ] && [ -x "$DIST/Install/Uninstall" ] || fail "faltan programas en $DIST"
[ -d "$DIST/Install/Sample_ROMs" ] || fail "falta Sample_ROMs"

# A home of our own: the desktop looks only here and at the system's folders.
export HOME="$WORK/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME
export XDG_DATA_DIRS=/usr/share XDG_CONFIG_DIRS=/etc/xdg XDG_CURRENT_DESKTOP=GNOME
mkdir -p "$HOME"
FOLDER="$HOME/.local/opt/Halvergen/Tarvolin"
APPS="$HOME/.local/share/applications"

step "Instalación sin pantalla"
out=$(cd / && "$DIST/TarvolinSetup" --user --yes) || fail "TarvolinSetup: $out"
[ "$out" = "Instalar: ¡Instalación Completa!" ] || fail "mensaje: $out"

step "filelist.lst lista cada archivo instalado, y solo archivos"
listed=$(wc -l < "$FOLDER/filelist.lst")
present=$(find "$FOLDER" -type f ! -name filelist.lst ! -name desktop_files.lst | wc -l)
[ "$listed" -eq "$present" ] || fail "filelist.lst tiene $listed líneas para $present archivos"
while IFS= read -r line; do [ -f "$line" ] || fail "no es un archivo: $line"; done < "$FOLDER/filelist.lst"

step "Entradas del menú"
for entry in halvergen-tarvolin halvergen-tarvolin-guide halvergen-tarvolin-uninstall halvergen-tarvolin-roms; do
  [ -f "$APPS/$entry.desktop" ] || fail "falta $entry.desktop"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$APPS/$entry.desktop" || fail "$entry.desktop no es válida"
  fi
done
grep -q "<Name>Halvergen Entertainment</Name>" "$HOME/.config/menus/applications-merged/halvergen-entertainment.menu" \
  || fail "falta la carpeta del menú"

step "Tipo de los proyectos y aplicación por omisión"
SAMPLE=$(find "$FOLDER/Sample_ROMs" -name '*.tvp' | head -n 1)
[ -n "$SAMPLE" ] || fail "no hay proyecto de ejemplo"
if command -v xdg-mime >/dev/null && command -v gio >/dev/null; then
  type=$(xdg-mime query filetype "$SAMPLE")
  [ "$type" = application/x-tarvolin-project ] || fail "tipo de $SAMPLE: $type"
  app=$(xdg-mime query default application/x-tarvolin-project)
  [ "$app" = halvergen-tarvolin.desktop ] || fail "aplicación por omisión: $app"
  grep -qx "Exec=$FOLDER/TarvolinStudio -P %f" "$APPS/halvergen-tarvolin.desktop" || fail "orden de apertura"
fi

step "Los programas instalados encuentran sus datos desde cualquier carpeta"
(cd / && "$FOLDER/tarvolin" run "$SAMPLE" --frames 2 >/dev/null) || fail "tarvolin run desde $FOLDER"

if [ "$SCREEN" = --screen ]; then
  if [ -x "$FOLDER/TarvolinStudio" ]; then
    step "El estudio instalado abre un proyecto de ejemplo bajo Xvfb"
    SHOTS="$BUILD/check-install"
    mkdir -p "$SHOTS"
    name=$(basename "$SAMPLE" .tvp)
    # No sound card under Xvfb: SDL's silent driver keeps the studio from
    # stopping at its audio message.
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
      gio open "$1" &
      win=$(timeout 30 xdotool search --sync --name "$2" | head -n 1) || exit 1
      echo "Ventana: $(xdotool getwindowname "$win")"
      sleep 2
      # A first start shows the what'"'"'s-new and tips windows: close them.
      for _ in 1 2; do xdotool key Escape; sleep 1; done
      import -window root "$3/studio.png"
      xdotool windowclose "$win" 2>/dev/null || true
      pkill -P $$ 2>/dev/null || true
    ' _ "$SAMPLE" "$name" "$SHOTS" || fail "el estudio no mostró $name"
    echo "Captura: $SHOTS/studio.png"
  else
    echo "(sin TarvolinStudio en la distribución: no se prueba la ventana)"
  fi
fi

step "Desinstalación"
out=$(cd / && "$FOLDER/Uninstall" --yes) || fail "Uninstall: $out"
[ "$out" = "Desinstalar: Desinstalación Completa - gracias por probar Tarvolin" ] || fail "mensaje: $out"
[ ! -e "$HOME/.local/opt" ] || fail "queda $HOME/.local/opt"
left=$(find "$HOME" -name 'halvergen*' -o -name '*tarvolin*' | head -n 5)
[ -z "$left" ] || fail "quedan: $left"

step "Una segunda desinstalación falla en el primer paso"
set +e
out=$(cd / && "$DIST/Install/Uninstall" --user --yes 2>&1)
rc=$?
set -e
[ $rc -ne 0 ] || fail "la segunda desinstalación no falló"
echo "$out" | head -n 1 | grep -qx "Desinstalar: ¡Fállo al eliminar del registro!" || fail "mensaje: $out"
echo "Todo correcto"
