#!/usr/bin/env bash
# Installs what is missing, builds, and starts Korav with any arguments given.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/korav "$@"
