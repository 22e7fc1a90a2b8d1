#!/usr/bin/env bash
# A real update of a sample program folder: the stand-in client runs, the update service
# offers 2.1.0, core.zip is resumed from a half-downloaded file and skin.zip fetched whole, the
# client is asked to exit, setup.xml installs the files, version.xml is rewritten and the
# restart offer is answered with Yes. A picture of the progress dialog is kept.
set -euo pipefail
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

out=$NT_DEMO_OUT/update
program=$out/program
rm -rf "$out" && mkdir -p "$program/update"
base=$NT_SIM_BASE/_lane/update-demo
post() { python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1], data=sys.argv[2].encode())' "$@"; }
post "$base/_sim/reset" ""

cp "$NT_DIST/trevasko.exe" "$NT_BUILD/tools/quorbel.exe" "$program/"
printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<Config>\r\n  <Version>1.0.000</Version>\r\n  <Update>%s/update</Update>\r\n</Config>\r\n' \
  "$base" | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$program/version.xml"
echo "program folder $program: trevasko.exe, quorbel.exe, version.xml (installed 1.0.000)"

# Half of core.zip, as an interrupted earlier run would have left it.
python3 - "$base/update/pkg/core.zip" "$program/update/core.zip.\$\$\$" <<'PY'
import sys, urllib.request
data = urllib.request.urlopen(sys.argv[1]).read()
open(sys.argv[2], "wb").write(data[: len(data) // 2])
print("partial download left behind: update/core.zip.$$$ with %d of %d bytes" % (len(data) // 2, len(data)))
PY
post "$base/_sim/reset" ""
(cd "$program" && find . -type f | sort) >"$out/before.txt"

"$NT_ROOT/scripts/wine-run" "$(winpath "$program")\\quorbel.exe" &
client=$!
for _ in $(seq 200); do [ -s "$program/quorbel.log" ] && break; sleep 0.1; done
echo "stand-in client quorbel.exe started (window class QUORBEL_MAIN_WINDOW)"

echo "running trevasko.exe (background check) and answering its boxes: Yes, OK, Yes"
"$NT_ROOT/scripts/wine-run" "$NT_BUILD/tests/update_driver.exe" \
  "$(winpath "$program")\\trevasko.exe" "" "$(winpath "$out")\\progress-dialog.bmp" yes ok yes |
  tee "$out/boxes.txt"
wait "$client" 2>/dev/null || true
echo "the first client process has exited"

echo "what the update service received:"
python3 - "$base/_sim/requests" <<'PY' | tee "$out/requests.txt"
import json, sys, urllib.request
for r in json.load(urllib.request.urlopen(sys.argv[1]))["requests"]:
    rng = next((v for k, v in r["headers"].items() if k.lower() == "range"), "")
    print("  %s %s%s" % (r["method"], r["path"], ("  (Range: %s)" % rng) if rng else ""))
PY

(cd "$program" && find . -type f | sort) >"$out/after.txt"
echo "files added or changed in the program folder:"
comm -13 "$out/before.txt" "$out/after.txt" | sed 's/^/  /'
echo "version.xml now reads:"
iconv -f UTF-16 -t UTF-8 "$program/version.xml" | sed 's/^/  /'
for _ in $(seq 100); do [ "$(grep -c started "$program/quorbel.log")" -ge 2 ] && break; sleep 0.1; done
echo "client starts recorded in quorbel.log: $(grep -c started "$program/quorbel.log") (the second is the restart)"
"$NT_ROOT/scripts/wine-run" "$(winpath "$program")\\quorbel.exe" /exit && echo "restarted client asked to exit again"
if [ -f "$out/progress-dialog.bmp" ]; then
  convert "$out/progress-dialog.bmp" "$out/progress-dialog.png" && rm "$out/progress-dialog.bmp"
  echo "screenshot of the progress dialog: $out/progress-dialog.png"
fi
