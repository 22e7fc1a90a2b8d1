#!/usr/bin/env bash
# A screenshot taken the way the input-method client takes one: the stand-in client loads
# glimter.dll from its program folder and calls the export; a scripted user selects part of a
# page, draws every shape, a mosaic and a text, and completes. The clipboard picture the client
# received and a picture of the overlay with the toolbar and option bar are kept.
set -euo pipefail
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

out=$NT_DEMO_OUT/capture
program=$out/program
rm -rf "$out" && mkdir -p "$program/skin"
cp "$NT_DIST/glimter.dll" "$NT_BUILD/tools/quorbel.exe" "$program/"
cp "$NT_DIST/skin/glimter.zip" "$program/skin/"
echo "program folder: quorbel.exe, glimter.dll, skin/glimter.zip"

"$NT_ROOT/scripts/wine-run" "$NT_BUILD/tools/capturedemo.exe" "$(winpath "$program")" \
  "$(winpath "$out")" | tee "$out/script.txt"

echo "what the client logged (quorbel.log):"
sed 's/^/  /' "$program/quorbel.log" | tr -d '\r'
convert "$out/clipboard.bmp" "$out/clipboard.png" && rm -f "$out/clipboard.bmp"
echo "clipboard picture: $out/clipboard.png ($(identify -format '%w x %h' "$out/clipboard.png"))"
echo "overlay with toolbar and option bar: $out/overlay.png"
