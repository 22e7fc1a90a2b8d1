#!/usr/bin/env bash
# The photo upload road without windows: a records administrator signs in, the province's
# archive servers and a student are looked up, a 4000 x 3000 photo is rescaled and sent to
# both archive servers, and the local archive is listed.
set -euo pipefail
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

out=$NT_DEMO_OUT/upload
program=$out/program
photos=$out/photos
rm -rf "$out" && mkdir -p "$program" "$photos"
# A lane of its own keeps this walk apart from the other demonstrations.
base=$NT_SIM_BASE/_lane/upload-demo
python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1], data=b"")' \
  "$base/_sim/reset"

printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<config>\r\n  <SSOUrlBase>%s</SSOUrlBase>\r\n</config>\r\n' \
  "$base" | iconv -f UTF-8 -t UTF-16LE >"$program/config.xml"
echo "config.xml (UTF-16) points the tool at $base"

convert -size 4000x3000 gradient:skyblue-navy -fill khaki -draw 'circle 2000,1500 2000,700' \
  "$photos/li.png"
echo "sample photo: $photos/li.png (4000 x 3000)"

echo "running uploadroad.exe as lihua for student A123:"
"$NT_ROOT/scripts/wine-run" "$NT_BUILD/tools/uploadroad.exe" "$(winpath "$program")\\" \
  lihua Pass1234 A123 "$(winpath "$photos/li.png")" | tee "$out/road.txt"

echo "what the platform simulator received:"
python3 - "$base/_sim/requests" <<'PY' | tee "$out/requests.txt"
import base64, json, sys, urllib.request
with urllib.request.urlopen(sys.argv[1]) as reply:
    requests = json.load(reply)["requests"]
for r in requests:
    print("  %s %s" % (r["method"], r["path"]))
    for p in r.get("parts") or []:
        size = len(base64.b64decode(p["data_b64"]))
        print("      part %s, file name %s, %s, %d bytes" % (p["name"], p["filename"],
              p["content_type"] or "no content type", size))
PY

echo "local archive on disk:"
find "$program/已上传图片" -type f -printf '  %P (%s bytes)\n' | tee "$out/archive.txt"
identify "$program/已上传图片"/*/*.jpg | sed 's/^/  /'
