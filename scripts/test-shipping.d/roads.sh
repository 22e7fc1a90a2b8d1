#!/bin/bash
# One road of a deliverable as shipped, walked in the emulated machine under 32-bit Wine:
#   roads.sh feltrine   feltrine.exe signs in and uploads a photo through its windows
#   roads.sh glimter    the stand-in client loads glimter.dll and takes an annotated capture
#                       (shapes, a mosaic and a text) to the clipboard
#   roads.sh trevasko   trevasko.exe installs an offered package and restarts the client
# (ostrafel.dll's two exports are called as the installer calls them by test_installhelper.)
# Runs in a lane of guest.sh (WINEPREFIX, DISPLAY and the simulator set up); exits 0 when the
# road reached its end and left what it should have.
set -euo pipefail
P=/payload
BUILD=$P/build
DIST=$BUILD/dist
SIM=http://127.0.0.1:$(cat "$NTSIM_PORT_FILE")
# Wine and the windows start many times slower in the emulated machine than on a real one.
WAIT_S=300
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
post() { python3 -c 'import sys, urllib.request
urllib.request.urlopen(sys.argv[1], data=sys.argv[2].encode())' "$1" "${2:-}" >/dev/null; }
config_xml() { # config_xml FILE ROOT BODY: a UTF-16 settings file as the tools find them
  printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<%s>\r\n%s\r\n</%s>\r\n' "$2" "$3" "$2" |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$1"
}
# requested BASE PATH N: until the simulator has seen N requests to PATH in lane BASE
requested() {
  python3 - "$1/_sim/requests" "$2" "$3" "$WAIT_S" <<'PY'
import json, sys, time, urllib.request
deadline = time.time() + int(sys.argv[4])
while time.time() < deadline:
    requests = json.load(urllib.request.urlopen(sys.argv[1]))["requests"]
    if sum(r["path"].split("?")[0] == sys.argv[2] for r in requests) >= int(sys.argv[3]):
        sys.exit(0)
    time.sleep(0.5)
sys.exit("no %s request to %s in %s s" % (sys.argv[3], sys.argv[2], sys.argv[4]))
PY
}

road_feltrine() {
  local program=/tmp/feltrine-$NT_LANE base=$SIM/_lane/feltrine-road
  local login=UIMainFrame_quorbel_ZEV upload=UIUploadFrame_quorbel_ZEV
  drive() { wine "$BUILD/tools/windriver.exe" "$@" || { echo "windriver $* failed"; return 1; }; }
  rm -rf "$program" && mkdir -p "$program"
  cp "$DIST/feltrine.exe" "$program/" && cp -r "$DIST/skin" "$program/skin"
  config_xml "$program/config.xml" config "  <SSOUrlBase>$base</SSOUrlBase>"
  post "$base/_sim/reset"
  wine "$program/feltrine.exe" &
  local tool=$!
  drive wait $login $WAIT_S
  drive type $login lihua
  drive key $login tab
  drive type $login Pass1234
  drive key $login enter
  drive wait $upload $WAIT_S
  echo "signed in as lihua"
  # Where upload.xml places the search and upload buttons (client coordinates).
  drive type $upload A123
  drive click $upload 488 167
  drive dialog $upload "$(winpath "$P/data/photo.png")" $WAIT_S
  drive steady $upload $WAIT_S
  drive click $upload 488 350
  requested "$base" /first/index.php 1
  requested "$base" /second/api/Ef/upload 1
  drive steady $upload $WAIT_S
  echo "the photo reached both archive servers"
  drive click $upload 570 26
  wait $tool
  echo "feltrine.exe ended with exit code 0 when its window was closed; archived:"
  find "$program/已上传图片" -name '*.jpg' -printf '  %P (%s bytes)\n' | grep .
}

road_glimter() {
  local program=/tmp/glimter-$NT_LANE out=$P/results/glimter
  rm -rf "$program" "$out" && mkdir -p "$program/skin" "$out"
  cp "$DIST/glimter.dll" "$BUILD/tools/quorbel.exe" "$program/"
  cp "$DIST/skin/glimter.zip" "$program/skin/"
  wine "$BUILD/tools/capturedemo.exe" "$(winpath "$program")" "$(winpath "$out")" | tee "$out/script.txt"
  grep -q 'click mosaic_btn' "$out/script.txt" && grep -q 'click text_btn' "$out/script.txt" ||
    { echo "the mosaic or the text tool was not reached"; exit 1; }
  tr -d '\r' <"$program/quorbel.log"
  # The client kept the clipboard picture as a bitmap file: it must be the selection
  # (200,130 - 900,650), not the screen or nothing.
  python3 - "$out/clipboard.bmp" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
width, height = struct.unpack_from("<ii", data, 18)
assert data[:2] == b"BM" and abs(width - 700) <= 1 and abs(abs(height) - 520) <= 1, (width, height)
print("clipboard picture: %d x %d, %d bytes" % (width, abs(height), len(data)))
PY
}

road_trevasko() {
  local program=/tmp/trevasko-$NT_LANE base=$SIM/_lane/trevasko-road
  rm -rf "$program" && mkdir -p "$program"
  post "$base/_sim/reset"
  cp "$DIST/trevasko.exe" "$BUILD/tools/quorbel.exe" "$program/"
  config_xml "$program/version.xml" Config "  <Version>1.0.000</Version>
  <Update>$base/update</Update>"
  wine "$program/quorbel.exe" &
  local client=$! n
  for n in $(seq $((WAIT_S * 10))); do [ -s "$program/quorbel.log" ] && break; sleep 0.1; done
  # Check, download and install, then the restart offer: Yes, OK, Yes.
  wine "$BUILD/tests/update_driver.exe" "$(winpath "$program")\\trevasko.exe" "" "" yes ok yes
  wait $client || true
  for n in $(seq $((WAIT_S * 10))); do
    [ "$(grep -c started "$program/quorbel.log")" -ge 2 ] && break; sleep 0.1
  done
  iconv -f UTF-16 -t UTF-8 "$program/version.xml"
  iconv -f UTF-16 -t UTF-8 "$program/version.xml" | grep -q '<Version>2\.1\.0' ||
    { echo "version.xml does not name the installed version"; exit 1; }
  [ "$(grep -c started "$program/quorbel.log")" -ge 2 ] || { echo "the client was not restarted"; exit 1; }
  echo "installed 2.1.0 and restarted the client"
  wine "$program/quorbel.exe" /exit
}

"road_$1"
