#!/usr/bin/env bash
# Installs what is missing, builds Gearbook and starts it from its staged
# program folder (build/stage), where its help page and login files live.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target Gearbook gearbook_stage
cd build/stage
exec ./Gearbook
