#!/usr/bin/env bash
# Starts the show on the user's display.
set -euo pipefail
build=${1:-build/linux}
if [ -z "${DISPLAY:-}" ]; then
  echo "make run: no X display (DISPLAY is not set); start it from a desktop session." >&2
  exit 1
fi
exec "$build/glintmoor" /s
