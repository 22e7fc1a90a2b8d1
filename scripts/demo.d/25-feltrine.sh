#!/usr/bin/env bash
# The photo upload road through feltrine's real windows: a records administrator mistypes the
# password, signs in, looks student A123 up, picks a photo, watches the upload (the second
# archive server first keeps quiet, so the progress and a failed attempt show), uploads again
# and succeeds. windriver clicks and types as a user would; a picture of each step is kept.
set -euo pipefail
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

out=$NT_DEMO_OUT/feltrine
program=$out/program
photos=$out/photos
rm -rf "$out" && mkdir -p "$program" "$photos"
cp "$NT_DIST/feltrine.exe" "$program/" && cp -r "$NT_DIST/skin" "$program/skin"
base=$NT_SIM_BASE/_lane/feltrine-demo
sim() {  # sim <control> [json]
  python3 -c 'import sys, urllib.request
urllib.request.urlopen(sys.argv[1], data=sys.argv[2].encode())' "$base/_sim/$1" "${2:-}" >/dev/null
}
sim reset
printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<config>\r\n  <SSOUrlBase>%s</SSOUrlBase>\r\n</config>\r\n' \
  "$base" | iconv -f UTF-8 -t UTF-16LE >"$program/config.xml"
convert -size 1500x2000 gradient:'#dfe9f3'-'#9fb8cf' -fill '#f2d4b8' -draw 'circle 750,760 750,420' \
  -fill '#35506b' -draw 'ellipse 750,2000 560,700 180,360' "$photos/zhang.png"

requested() {  # requested <path> <n>: until the simulator has seen n requests to path
  python3 - "$base/_sim/requests" "$1" "$2" <<'PY'
import json, sys, time, urllib.request
deadline = time.time() + 20
while time.time() < deadline:
    requests = json.load(urllib.request.urlopen(sys.argv[1]))["requests"]
    if sum(r["path"].split("?")[0] == sys.argv[2] for r in requests) >= int(sys.argv[3]):
        sys.exit(0)
    time.sleep(0.1)
sys.exit("no %s request to %s in time" % (sys.argv[3], sys.argv[2]))
PY
}
drive() { "$NT_ROOT/scripts/wine-run" "$NT_BUILD/tools/windriver.exe" "$@"; }
shot() { drive shot "$1" "$(winpath "$NT_DEMO_OUT/$2")"; echo "  saved $NT_DEMO_OUT/$2"; }
login=UIMainFrame_quorbel_ZEV
upload=UIUploadFrame_quorbel_ZEV

"$NT_ROOT/scripts/wine-run" "$program/feltrine.exe" &
tool=$!
# A first start (a new Wine prefix, a loaded machine) can take minutes; a hung one ends here.
drive wait $login 300
echo "feltrine.exe opened its login window"
shot $login feltrine-1-login.png

drive type $login lihua
drive key $login tab
drive type $login Pass12
drive key $login enter
requested /sso/authorize 1
drive steady $login
echo "signing in with a wrong password:"
shot $login feltrine-2-failed-sign-in.png

drive key $login back 6
drive type $login Pass1234
drive key $login enter
drive wait $upload
drive gone $login
echo "signed in as lihua; the upload window took over"

# Where upload.xml places the buttons (client coordinates).
drive type $upload A123
drive click $upload 488 167
drive dialog $upload "$(winpath "$photos/zhang.png")"
drive steady $upload
echo "student A123 found, photo chosen:"
shot $upload feltrine-3-preview.png

sim fault '{"path": "/second/api/Ef/upload", "kind": "hang"}'
drive click $upload 488 350
requested /second/api/Ef/upload 1
echo "uploading while the second archive server keeps quiet:"
shot $upload feltrine-4-progress.png
sim reset
drive steady $upload
echo "the server dropped the request:"
shot $upload feltrine-5-failed-upload.png

drive click $upload 488 350
requested /second/api/Ef/upload 1
drive steady $upload
echo "uploaded again:"
shot $upload feltrine-6-success.png

drive click $upload 570 26
if wait $tool; then
  echo "closing the upload window ended feltrine.exe with exit code 0"
else
  echo "feltrine.exe ended with exit code $?" && exit 1
fi
echo "local archive on disk:"
find "$program/已上传图片" -type f -printf '  %P (%s bytes)\n' | tee "$out/archive.txt"
