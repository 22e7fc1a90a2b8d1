#!/usr/bin/env bash
# Shows every skinned control in every state and saves a picture of the gallery window.
set -euo pipefail
out="$NT_DEMO_OUT/skin-gallery.png"
gallery="$NT_BUILD/tools/skingallery/skingallery.exe"
winout="Z:${out//\//\\}"
"$NT_ROOT/scripts/wine-run" "$gallery" /shot "$winout"
echo "Opened the skin gallery (buttons normal, hovered, pressed and disabled; check boxes, a radio"
echo "group, the capture toolbar glyphs, the 16 colour swatches, edits, combo box, slider, progress,"
echo "a shown group and the pop-up menu) and saved its picture as $out."
