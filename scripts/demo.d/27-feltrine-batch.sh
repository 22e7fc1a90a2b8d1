#!/usr/bin/env bash
# A whole class at once through feltrine's real windows: the records administrator picks a
# folder of 21 photos named by student number in the folder picker, the batch window lists
# them (two files carry one number and are marked), and one run sends the rest in order. The
# simulator serves mixed outcomes: an unknown number, a student of another school and a server
# error on one upload. A picture of the finished list is kept.
set -euo pipefail
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

out=$NT_DEMO_OUT/feltrine-batch
program=$out/program
photos=$out/photos
rm -rf "$out" && mkdir -p "$program" "$photos"
cp "$NT_DIST/feltrine.exe" "$program/" && cp -r "$NT_DIST/skin" "$program/skin"
base=$NT_SIM_BASE/_lane/feltrine-batch-demo
sim() {  # sim <control> [json]
  python3 -c 'import sys, urllib.request
urllib.request.urlopen(sys.argv[1], data=sys.argv[2].encode())' "$base/_sim/$1" "${2:-}" >/dev/null
}
sim reset
printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<config>\r\n  <SSOUrlBase>%s</SSOUrlBase>\r\n</config>\r\n' \
  "$base" | iconv -f UTF-8 -t UTF-16LE >"$program/config.xml"
for n in $(seq -w 1 17); do
  convert -size 600x800 gradient:'#dfe9f3'-'#9fb8cf' -fill '#f2d4b8' -draw 'circle 300,300 300,160' \
    "$photos/F$n.jpg"
done
cp "$photos/F01.jpg" "$photos/A124.png"
cp "$photos/F01.jpg" "$photos/B456.png"   # a student of another school
cp "$photos/F01.jpg" "$photos/Z999.png"   # a number nobody has
cp "$photos/F01.jpg" "$photos/f17.jpeg"   # the same number as F17.jpg in other letters
echo "photo folder: $photos ($(ls "$photos" | wc -l) photos named by number)"

drive() { "$NT_ROOT/scripts/wine-run" "$NT_BUILD/tools/windriver.exe" "$@"; }
shot() { drive shot "$1" "$(winpath "$NT_DEMO_OUT/$2")"; echo "  saved $NT_DEMO_OUT/$2"; }
upload=UIUploadFrame_quorbel_ZEV
batch=UIBatchFrame_quorbel_ZEV

"$NT_ROOT/scripts/wine-run" "$program/feltrine.exe" XS7f3a9c01lihua 4401031987 &
tool=$!
drive wait $upload
echo "feltrine.exe opened its upload window for lihua"

# "批量上传" sits left of the preview (client coordinates from upload.xml).
drive click $upload 104 353
drive dialog $upload "$(winpath "$photos")"
drive wait $batch
drive steady $batch
echo "the batch window lists the folder"

# The first photo's upload to the second archive server meets a server error.
sim fault '{"path": "/second/api/Ef/upload", "kind": "html500", "count": 1}'
drive click $batch 385 506
python3 - "$base/_sim/requests" <<'PY'
import json, sys, time, urllib.request
deadline = time.time() + 120
while time.time() < deadline:
    requests = json.load(urllib.request.urlopen(sys.argv[1]))["requests"]
    if sum("checkFileno" in r["path"] for r in requests) >= 20:
        break
    time.sleep(0.2)
PY
drive steady $batch
shot $batch feltrine-7-batch.png

drive click $batch 690 26
drive gone $batch
drive click $upload 570 26
wait $tool || { echo "feltrine.exe ended with exit code $?"; exit 1; }
echo "local archive on disk:"
find "$program/已上传图片" -type f -printf '  %P\n' | sort | tee "$out/archive.txt"
echo "the photo folder still holds its $(ls "$photos" | grep -vc _CompPic) photos"
