#!/usr/bin/env bash
# What following a chat costs, under Wine: for each pairing of program and messenger
# widths (PAIRINGS, default "32:32 32:64 64:32 64:64", program first; 64:64 where no
# 32-bit program runs) and each history
# size (bytes; default 10 KB, 1 MB and 10 MB) a stand-in messenger holding that much
# history runs in its own process
# with its chat window in front, parlowen.exe follows it, and after a warm-up this prints
# the processor time of the program, the messenger and the wineserver over a window of
# seconds (percent of one core, from /proc), then the longest time the program's GUI
# thread took to answer while probed every 10 ms, and the length of the program's log
# (not 0 once the program has followed the chat and logged its last message); "total"
# is the program, the messenger and the wineserver together.
#   CHATS=5                the messenger has that many chat windows open, of that much
#                          history each: one in front, the others behind it (default 1)
#   MESSAGE_EVERY_MS=5000  the messenger gets a new message this often (default: never)
#   CAPPED=1               and drops its first message for each, keeping its length
#   SECONDS_MEASURED=20    the window measured; WARM_UP=10 seconds before it
#   PROGRAM=path/to/parlowen.exe  another build of the program, to compare
# Build first with scripts/build.sh. Never run as a test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
# The build tree of each width.
tree() { [[ $1 == 32 ]] && echo "$root/build/windows32" || echo "$root/build/windows"; }
measured=${SECONDS_MEASURED:-20}
warm_up=${WARM_UP:-10}
(($#)) || set -- 10240 1048576 10485760

prepare_wine_prefix "$root/build/wine/template"
export WINEPREFIX=$root/build/wine/bench-capture
start_virtual_display
trap 'wineserver -k 2>/dev/null; stop_virtual_display; rm -rf "$WINEPREFIX"' EXIT

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The process that runs the Windows program $1 in this prefix: `wine` may run it as a
# child of its own, whose time is not the launcher's. Linux names it after the program,
# in at most 15 characters.
windows_process() {
  local name pid
  name=$(basename "$1")
  for _ in $(seq 50); do
    for pid in $(pgrep -x "${name:0:15}"); do
      if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        echo "$pid"
        return
      fi
    done
    sleep 0.2
  done
  echo "bench: no process runs $name in $WINEPREFIX" >&2
  return 1
}

# The wineserver of this prefix: its working folder is named after the prefix's device
# and inode.
wineserver_pid() {
  local dir pid
  dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for pid in $(pgrep wineserver); do
    [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */$dir ]] && echo "$pid" && return
  done
}

percent() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v s="$measured" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

pairings=${PAIRINGS:-32:32 32:64 64:32 64:64}
if [[ $PARLOWEN_WINE32 == no && -z ${PAIRINGS:-} ]]; then
  echo "bench: 64:64 only: $PARLOWEN_WINE32_WHY"
  pairings=64:64
fi
printf '%-8s %-6s %-10s %10s %10s %11s %8s   %s\n' widths chats history program messenger wineserver total "GUI thread"
for pairing in $pairings; do
for size in "$@"; do
  program_exe=${PROGRAM:-$(tree "${pairing%:*}")/parlowen.exe}
  messenger_exe=$(tree "${pairing#*:}")/parlowen-stand-in-messenger.exe
  rm -rf "$WINEPREFIX"
  cp -a "$root/build/wine/template" "$WINEPREFIX"
  every=()
  [[ -n ${MESSAGE_EVERY_MS:-} ]] && every=(--every "$MESSAGE_EVERY_MS")
  [[ -n ${CAPPED:-} ]] && every+=(--capped)
  every+=(--chats "${CHATS:-1}")
  # The program first: the messenger's chat window then comes to the front after it,
  # where the program finds it, and stays there.
  wine "$program_exe" 2>/dev/null &
  program=$!
  sleep 3
  ready=$WINEPREFIX/messenger-ready
  wine "$messenger_exe" "$size" --tell-ready "${every[@]}" >"$ready" 2>/dev/null &
  messenger=$!
  # A messenger or program that does not start ends the run with the reason, not a wait.
  for _ in $(seq 120); do
    grep -q ready "$ready" 2>/dev/null && break
    kill -0 "$messenger" 2>/dev/null && kill -0 "$program" 2>/dev/null || break
    sleep 1
  done
  if ! grep -q ready "$ready" 2>/dev/null; then
    kill -0 "$program" 2>/dev/null || { echo "bench: $program_exe ended before the messenger was ready" >&2; exit 1; }
    echo "bench: $messenger_exe did not tell it was ready within 2 minutes" >&2
    exit 1
  fi
  sleep "$warm_up"

  server=$(wineserver_pid)
  program_pid=$(windows_process "$program_exe")
  messenger_pid=$(windows_process "$messenger_exe")
  before=("$(cpu_ticks "$program_pid")" "$(cpu_ticks "$messenger_pid")" "$(cpu_ticks "$server")")
  sleep "$measured"
  after=("$(cpu_ticks "$program_pid")" "$(cpu_ticks "$messenger_pid")" "$(cpu_ticks "$server")")
  gui=$(wine "$(tree "${pairing%:*}")/parlowen_gui_hold_probe.exe" 10 2>/dev/null | tr -d '\r')

  printf '%-8s %-6s %-10s %9s%% %9s%% %10s%% %7s%%   %s\n' "$pairing" "${CHATS:-1}" "$size" \
    "$(percent $((after[0] - before[0])))" "$(percent $((after[1] - before[1])))" \
    "$(percent $((after[2] - before[2])))" \
    "$(percent $((after[0] - before[0] + after[1] - before[1] + after[2] - before[2])))" "$gui"
  wineserver -k 2>/dev/null || true
  wait "$messenger" "$program" 2>/dev/null || true
done
done
