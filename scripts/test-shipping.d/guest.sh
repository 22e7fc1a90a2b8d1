#!/bin/bash
# Runs in the emulated machine as /payload/run.sh: the 32-bit test programs named in
# tests/i686.tests and each deliverable's road as shipped (roads.sh), under 32-bit Wine, side by
# side in as many lanes as the machine has cores. A lane is a Wine prefix, wineserver and display
# of its own; the platform simulator serves every lane on the guest's loopback. Each job's
# output is results/<job>.log; the exit code is 0 only when every job passed.
# The guest's init starts payloads with sh.
[ -n "${BASH_VERSION:-}" ] || exec bash "$0" "$@"
set -uo pipefail
P=/payload
RESULTS=$P/results
mkdir -p "$RESULTS"
export NT_BINARY_DIR=$P/build NT_SOURCE_DIR=$P/src NTSIM_PORT_FILE=/tmp/simulator.port
# A job that hangs is stopped here, well before the machine's own limit.
JOB_LIMIT=${JOB_LIMIT:-900}

python3 "$NT_SOURCE_DIR/tools/simulator/simulator.py" --daemon --port-file "$NTSIM_PORT_FILE" \
  --log "$RESULTS/simulator.log" || { echo "the simulator did not start"; exit 1; }

# A line for the log and, as it happens, for the machine's console (which the host follows).
progress() {
  echo "$1"
  echo "$1" >/dev/console 2>/dev/null || true
}

# A lane's prefix is a copy of the one baked into the image: program files are hard links,
# what Wine rewrites (registry, ini files) real copies.
make_lane() {
  local n=$1 prefix=/root/lane$1
  cp -al /root/.wine "$prefix"
  find "$prefix" -type f ! -iregex '.*\.\(dll\|exe\|sys\|drv\|ocx\|cpl\|acm\|tlb\|ax\|ds\|nls\|ttf\|ttc\)' \
    -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f"; done' sh {} +
  Xvfb ":$((10 + n))" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  for _ in $(seq 300); do [ -e "/tmp/.X11-unix/X$((10 + n))" ] && break; sleep 0.1; done
  WINEPREFIX=$prefix /usr/lib/wine/wineserver32 -p
  WINEPREFIX=$prefix NT_WINE=wine bash "$P/wine-fonts"
}

# The next job of the queue, or nothing when it is empty.
next_job() {
  (
    flock 9
    local job
    job=$(head -1 /tmp/queue)
    sed -i 1d /tmp/queue
    echo "$job"
  ) 9>/tmp/queue.lock
}

lane() {
  local n=$1 job start rc
  export WINEPREFIX=/root/lane$n DISPLAY=:$((10 + n)) NT_LANE=$n
  while job=$(next_job) && [ -n "$job" ]; do
    start=$SECONDS
    case $job in
      road_*) (cd "$P/build" && timeout "$JOB_LIMIT" bash "$P/roads.sh" "${job#road_}") ;;
      *) (cd "$P/build" && timeout "$JOB_LIMIT" wine "tests/$job.exe" --gtest_color=no) ;;
    esac >"$RESULTS/$job.log" 2>&1
    rc=$?
    echo "$rc $((SECONDS - start)) $job" >>"$RESULTS/summary.txt"
    progress "$(printf '%-5s %-26s %4d s' "$([ $rc -eq 0 ] && echo PASS || echo FAIL)" "$job" \
      $((SECONDS - start)))"
  done
}

# The long window roads first, so that the lanes end together.
{
  printf 'road_%s\n' feltrine glimter
  grep -v '^#' "$P/tests.list" | grep .
  echo road_trevasko
} >/tmp/queue
lanes=$(nproc)
progress "$(wc -l </tmp/queue) jobs in $lanes lanes"
pids=()
for n in $(seq "$lanes"); do
  make_lane "$n" &
  pids+=($!)
done
wait "${pids[@]}"
progress "lanes ready at $(cut -d' ' -f1 /proc/uptime) s after boot"
pids=()
for n in $(seq "$lanes"); do
  lane "$n" &
  pids+=($!)
done
wait "${pids[@]}"
python3 "$NT_SOURCE_DIR/tools/simulator/simulator.py" --stop --port-file "$NTSIM_PORT_FILE"
failed=$(awk '$1 != 0 { print $3 }' "$RESULTS/summary.txt")
for job in $failed; do
  echo "---- $job (last lines of results/$job.log)"
  tail -40 "$RESULTS/$job.log"
done
[ -z "$failed" ]
