#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev zlib1g-dev libsdl2-dev
  clang libclang-rt-dev
  qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev libgl-dev qt6-translations-l10n
  libsqlite3-dev diffutils
  xvfb xauth xdotool imagemagick
  desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin lintian dpkg-dev file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Instalando paquetes: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
