#!/usr/bin/env bash
# Installs the Debian packages VIRLO needs to build and test. Safe to run again:
# it installs only what is missing. Works as root or through sudo.
set -euo pipefail

packages=(
  cmake
  g++
  make
  libgtest-dev
  # reading the exported SVG in the tests
  libexpat1-dev
  libbenchmark-dev
  libsqlite3-dev
  qt6-base-dev
  qt6-svg-dev
  qt6-qpa-plugins
  # lupdate and lrelease for the translations; Qt's own Japanese texts
  qt6-l10n-tools
  qt6-translations-l10n
  libgl-dev
  fonts-noto-cjk
  fonts-dejavu-core
  xvfb
  xauth
  # real key events for the program under Xvfb
  xdotool
  clang
  libclang-rt-14-dev
  clang-format
  # checking what cmake --install puts on the system, and cpack -G DEB
  desktop-file-utils
  shared-mime-info
  groff-base
  man-db
  dpkg-dev
  file
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
