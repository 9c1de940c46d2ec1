#!/usr/bin/env bash
# Makes doc/screenshot.png, the README's picture of the main window with a small plan: the
# program draws the plan itself from a replay script under a virtual X server and saves the
# window. It runs on a copy of the data directory, so that nothing in the tree is written.
# usage: scripts/make_screenshot.sh [OUT.png] (after bash scripts/build.sh; needs xvfb-run)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-doc/screenshot.png}"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
korav="$PWD/${KORAV_BUILD_DIR:-build}/korav"
[ -x "$korav" ] || { echo "no $korav: build first (bash scripts/build.sh)" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/data"
cp -r dat nls graphics "$tmp/data/"
cat >"$tmp/plan.txt" <<'PLAN'
# A flat of two rooms: outer and inner wall faces, a partition with its door, a door in the
# outer wall, a window and a round table.
set Toolbar/Snap off
b_line_frame
click 10 8
click 0 0
click 0 0
b_line_frame
click 9.7 7.7
click 0.3 0.3
click 0.3 0.3
b_line_line
click 6 0.3
click 6 4.5
click 6 4.5
b_line_line
click 6.3 0.3
click 6.3 4.5
click 6.3 4.5
b_line_line
click 6 5.5
click 6 7.7
click 6 7.7
b_line_line
click 6.3 5.5
click 6.3 7.7
click 6.3 7.7
b_line_line
click 6 4.5
click 6.3 4.5
click 6.3 4.5
b_line_line
click 6 5.5
click 6.3 5.5
click 6.3 5.5
b_circle_arc
click 6.3 4.5
click 7.3 4.5
click 6.3 5.5
click 6.3 5.5
click 6.8 4.9
b_line_line
click 6.3 4.5
click 7.3 4.5
click 7.3 4.5
b_circle_arc
click 2 0.3
click 2.9 0.3
click 2 1.2
click 2 1.2
click 2.5 0.8
b_line_line
click 2.9 0
click 2.9 1.2
click 2.9 1.2
b_line_line
click 3 7.7
click 5 7.7
click 5 7.7
b_line_line
click 3 7.85
click 5 7.85
click 5 7.85
b_circle_circle
click 3 4
click 3 4
type 0.6
b_circle_circle
click 8 2
click 8 2
type 0.4
p_nop
s_alles
move 30 30
PLAN
# The window goes to the temporary directory first: dialogs that are open come beside it there.
(cd "$tmp" && KORAV_DATA_DIR="$tmp/data" xvfb-run -a "$korav" --replay plan.txt --size 900x560 \
  --screenshot shot.png >/dev/null)
cp "$tmp/shot.png" "$out"
echo "wrote $out"
