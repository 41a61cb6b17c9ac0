#!/usr/bin/env bash
# Builds the tool set and runs the main job on an example scene.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset release >/dev/null
cmake --build --preset release

B=build/release
export MAYA_PLUG_IN_PATH="$PWD/$B/plug-ins"
export MAYA_SCRIPT_PATH="$PWD/game_scripts"
"$B/bin/vl2batch" -file examples/small_scene.mel
