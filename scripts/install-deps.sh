#!/usr/bin/env bash
# Installs every Debian package Korav needs to build, run and test, when it is missing.
# Safe to run again; does nothing when everything is present. Run as root (or with sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev libcairo2-dev libfreetype-dev fonts-dejavu-core hershey-fonts-data zlib1g-dev libisal-dev lib3ds-dev libgts-dev
  clang libclang-rt-14-dev
  xvfb xauth locales
  desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin librsvg2-bin groff-base
  ghostscript qpdf poppler-utils python3-ezdxf librecad hp2xx assimp-utils libgts-bin povray
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The tests check that numbers in files keep their decimal point under a German locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
