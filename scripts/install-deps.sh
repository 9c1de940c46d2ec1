#!/usr/bin/env bash
# Installs every Debian package Korav needs to build, run and test, when it is missing.
# Safe to run again; does nothing when everything is present. Run as root (or with sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev libcairo2-dev libfreetype-dev fonts-dejavu-core hershey-fonts-data zlib1g-dev libisal-dev lib3ds-dev libgts-dev
  clang libclang-rt-14-dev
  xvfb xauth
  desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin librsvg2-bin groff-base
  ghostscript qpdf poppler-utils python3-ezdxf librecad hp2xx assimp-utils libgts-bin povray
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
