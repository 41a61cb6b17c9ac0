#!/usr/bin/env bash
# Builds the tool set and runs the main job on an example scene: the model
# export of a small ship through the headless host, then a look inside the
# file it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset release >/dev/null
cmake --build --preset release

B=build/release
OUT=$B/example
mkdir -p "$OUT"
export MAYA_PLUG_IN_PATH="$PWD/$B/plug-ins"
export MAYA_SCRIPT_PATH="$PWD/game_scripts"

"$B/bin/vl2batch" -file examples/small_ship.mel \
    -export vlm -options "exportType=1;textureFormat=3" -o "$OUT/small_ship.vlm"
echo
echo "== vl2inspect $OUT/small_ship.vlm"
"$B/bin/vl2inspect" "$OUT/small_ship.vlm"
"$B/bin/vl2inspect" --check "$OUT/small_ship.vlm"
