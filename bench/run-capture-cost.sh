#!/usr/bin/env bash
# What following a chat costs, under Wine: for each pairing of program and messenger
# widths (PAIRINGS, default "32:32 32:64 64:32 64:64", program first; 64:64 where no
# 32-bit program runs) and each history size (bytes; default 10 KB, 1 MB and 10 MB), a
# stand-in messenger holding that much history runs in its own process with its chat
# window in front, first alone in a fresh prefix and then with parlowen.exe following
# it. After a warm-up this prints, for each run, the processor time of the program, the
# messenger and the wineserver over a window of seconds (percent of one core, from
# /proc; "total" is all three), then the requests the wineserver answered a second over
# another window as long (counted with strace, which slows it, so after the times), and
# for the run with the program the longest time its GUI thread took to answer while
# probed every 10 ms. The line "added" is what following costs: the run with the program
# less the messenger alone, in processor time and in wineserver requests. Requests are
# the figure that is the same on any machine; shares of a core are not.
#   CHATS=5                the messenger has that many chat windows open, of that much
#                          history each: one in front, the others behind it (default 1)
#   MESSAGE_EVERY_MS=5000  the messenger gets a new message this often (default: never)
#   CAPPED=1               and drops its first message for each, keeping its length
#   SECONDS_MEASURED=20    the window measured; WARM_UP=10 seconds before it
#   PROGRAM=path/to/parlowen.exe  another build of the program, to compare
# Build first with scripts/build.sh. Never run as a test. Needs strace (installed when missing).
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

command -v strace >/dev/null || { echo "bench: installing strace" >&2; apt-get install -y -qq strace >/dev/null; }

# The requests the wineserver $1 answers a second, over the measured window: each is
# read from its client's request pipe, so its reads count them.
requests_per_second() {
  local log=$WINEPREFIX/../strace.log
  timeout -s INT "$measured" strace -q -c -e trace=read -p "$1" -o "$log" 2>/dev/null || true
  # Reads that found nothing to read (EAGAIN) answered no request.
  awk -v s="$measured" '$NF == "read" { printf "%.0f", ($4 - (NF == 6 ? $5 : 0)) / s; found = 1 }
    END { if (!found) printf "0" }' "$log"
}

# Starts the stand-in messenger $1 with the arguments after it, and waits until it tells
# it is ready; a messenger (or the program whose pid is in $program) that ends first
# ends the run with the reason, not a wait.
start_messenger() {
  local exe=$1 ready=$WINEPREFIX/messenger-ready
  shift
  wine "$exe" "$@" --tell-ready >"$ready" 2>/dev/null &
  messenger=$!
  for _ in $(seq 120); do
    grep -q ready "$ready" 2>/dev/null && return
    kill -0 "$messenger" 2>/dev/null || break
    [[ -z ${program:-} ]] || kill -0 "$program" 2>/dev/null || break
    sleep 1
  done
  if [[ -n ${program:-} ]] && ! kill -0 "$program" 2>/dev/null; then
    echo "bench: $program_exe ended before the messenger was ready" >&2
  else
    echo "bench: $exe did not tell it was ready within 2 minutes" >&2
  fi
  exit 1
}

# The processor time of the processes $@ over the measured window, in clock ticks each.
measure_ticks() {
  local before=() pid i=0
  for pid; do before+=("$(cpu_ticks "$pid")"); done
  sleep "$measured"
  for pid; do echo $(($(cpu_ticks "$pid") - before[i++])); done
}

fresh_prefix() {
  rm -rf "$WINEPREFIX"
  cp -a "$root/build/wine/template" "$WINEPREFIX"
}

row() {  # widths, kind, program, messenger and wineserver ticks, requests, GUI thread
  printf '%-8s %-6s %-10s %-7s %9s%% %9s%% %10s%% %7s%% %9s   %s\n' "$pairing" "${CHATS:-1}" "$size" "$1" \
    "$(percent "$2")" "$(percent "$3")" "$(percent "$4")" "$(percent $(($2 + $3 + $4)))" "$5" "${6:-}"
}

pairings=${PAIRINGS:-32:32 32:64 64:32 64:64}
if [[ $PARLOWEN_WINE32 == no && -z ${PAIRINGS:-} ]]; then
  echo "bench: 64:64 only: $PARLOWEN_WINE32_WHY"
  pairings=64:64
fi
printf '%-8s %-6s %-10s %-7s %10s %10s %11s %8s %9s   %s\n' widths chats history run program messenger wineserver total "requests/s" "GUI thread"
for pairing in $pairings; do
for size in "$@"; do
  program_exe=${PROGRAM:-$(tree "${pairing%:*}")/parlowen.exe}
  messenger_exe=$(tree "${pairing#*:}")/parlowen-stand-in-messenger.exe
  every=()
  [[ -n ${MESSAGE_EVERY_MS:-} ]] && every=(--every "$MESSAGE_EVERY_MS")
  [[ -n ${CAPPED:-} ]] && every+=(--capped)
  every+=(--chats "${CHATS:-1}")

  # The messenger alone, in a prefix of its own.
  fresh_prefix
  program=
  start_messenger "$messenger_exe" "$size" "${every[@]}"
  sleep "$warm_up"
  server=$(wineserver_pid)
  alone=($(measure_ticks "$(windows_process "$messenger_exe")" "$server"))
  alone_requests=$(requests_per_second "$server")
  row alone 0 "${alone[0]}" "${alone[1]}" "$alone_requests"
  wineserver -k 2>/dev/null || true
  wait "$messenger" 2>/dev/null || true

  # The program first: the messenger's chat window then comes to the front after it,
  # where the program finds it, and stays there.
  fresh_prefix
  wine "$program_exe" 2>/dev/null &
  program=$!
  sleep 3
  start_messenger "$messenger_exe" "$size" "${every[@]}"
  sleep "$warm_up"
  server=$(wineserver_pid)
  with=($(measure_ticks "$(windows_process "$program_exe")" "$(windows_process "$messenger_exe")" "$server"))
  with_requests=$(requests_per_second "$server")
  gui=$(wine "$(tree "${pairing%:*}")/parlowen_gui_hold_probe.exe" 10 2>/dev/null | tr -d '\r')
  row with "${with[@]}" "$with_requests" "$gui"
  row added "${with[0]}" $((with[1] - alone[0])) $((with[2] - alone[1])) $((with_requests - alone_requests))
  wineserver -k 2>/dev/null || true
  wait "$messenger" "$program" 2>/dev/null || true
done
done
