#!/usr/bin/env bash
# Builds the Debian package into a throw-away folder and checks it: control
# fields, dependencies taken from the linked libraries, the files a desktop
# needs, and lintian without errors (when lintian is installed).
#   scripts/check-package.sh BUILD_DIR
# Installing the package for real belongs in a clean container or chroot,
# see README.md ("Paquete Debian").
set -euo pipefail

BUILD=$(cd "${1:?Uso: check-package.sh CARPETA_DE_COMPILACION}" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarvolin-package-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FALLO: $*" >&2; exit 1; }

(cd "$BUILD" && cpack -G DEB -B "$WORK" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack"; }
DEB=$(ls "$WORK"/*.deb)
field() { dpkg-deb -f "$DEB" "$1"; }

[ "$(field Package)" = tarvolin-studio ] || fail "Package: $(field Package)"
field Version | grep -Eq '^[0-9]+(\.[0-9]+)*-1$' || fail "Version: $(field Version)"
[ "$(field Section)" = devel ] || fail "Section: $(field Section)"
depends=$(field Depends)
for lib in libc6 libpng16-16; do
  echo "$depends" | grep -q "$lib" || fail "Depends sin $lib: $depends"
done

files=$(dpkg-deb -c "$DEB" | awk '{print $6}')
has() { echo "$files" | grep -qx "./$1" || fail "el paquete no trae /$1"; }
has usr/bin/tarvolin
has usr/share/tarvolin/timing_database.txt
has usr/share/tarvolin/examples/demo/demo.tvp
has usr/share/doc/tarvolin-studio/copyright
has usr/share/doc/tarvolin-studio/changelog.Debian.gz
if echo "$files" | grep -qx ./usr/bin/TarvolinStudio; then
  has usr/share/applications/halvergen-tarvolin.desktop
  has usr/share/applications/halvergen-tarvolin-guide.desktop
  has usr/share/mime/packages/halvergen-tarvolin.xml
  has usr/share/icons/hicolor/scalable/apps/halvergen-tarvolin.svg
  for lib in libqt6widgets6 libqt6svg6; do
    echo "$depends" | grep -q "$lib" || fail "Depends sin $lib: $depends"
  done
  mkdir "$WORK/x"
  dpkg-deb -x "$DEB" "$WORK/x"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$WORK/x/usr/share/applications/halvergen-tarvolin.desktop"
    desktop-file-validate "$WORK/x/usr/share/applications/halvergen-tarvolin-guide.desktop"
  fi
fi
echo "$files" | grep -q '^\./usr/local\|^\./opt' && fail "el paquete instala fuera de /usr"

if command -v lintian >/dev/null; then
  lintian --fail-on error "$DEB" || fail "lintian encontró errores"
fi
echo "Paquete correcto: $(basename "$DEB")"
echo "Depends: $depends"
