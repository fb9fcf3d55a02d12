#!/usr/bin/env bash
# Installs what is missing, builds, and starts Velloran on its default device folder.
# Arguments are passed to the program (e.g. --scale 3, or --headless ...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
exec build/velloran "$@"
