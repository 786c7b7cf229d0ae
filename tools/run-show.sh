#!/usr/bin/env bash
# Starts the show on the user's display. Without a display it records a short
# show into build/show/ instead (glintmoor --record) and says where it is.
set -euo pipefail
build=${1:-build/linux}
if [ -z "${DISPLAY:-}" ]; then
  out=build/show
  frames=50
  mkdir -p "$out"
  rm -f "$out"/frame-*.png
  "$build/glintmoor" --record "$out" --frames "$frames"
  echo "make run: there is no X display (DISPLAY is not set), so the show was recorded instead:"
  echo "  $frames frames, one per tick, in $out/frame-0001.png ... $out/frame-$(printf %04d "$frames").png"
  exit 0
fi
exec "$build/glintmoor" /s
