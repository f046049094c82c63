#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Vellumark and starts it from its program
# folder in the build tree. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
exec build/bin/vellumark "$@"
