#!/usr/bin/env bash
# Installs what is needed, builds parlowen.exe, its voice process and the demo chat, and
# runs the program under Wine beside the demo chat.
# Without a DISPLAY there is no screen and no sound card either: it then runs on a virtual
# display with a private audio server, lets the demo chat send one message as the user and
# one as the friend, records what Parlowen says into build/run/speech.wav and saves a
# screenshot of both windows to build/run/screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# A step that fails says which, besides its own error.
trap 'echo "run: failed (status $?) at line $LINENO: $BASH_COMMAND" >&2' ERR
scripts/setup.sh
(source scripts/wine-env.sh && tell_wine32 run)
# Only what runs here: the program (its voice process comes with it) and the demo chat.
# The compiler's chatter goes to a log; a failing build shows its errors and the log's end.
mkdir -p build/run
build_log=$root/build/run/build.log
echo "run: building parlowen.exe, its voice process and the demo chat (minutes the first time)"
if ! { cmake --preset windows && cmake --build --preset windows --target parlowen parlowen_demo_chat; } \
  >"$build_log" 2>&1; then
  grep -E -m 20 '(error|Error|ERROR)[: ]' "$build_log" >&2 || true
  echo "run: ... the end of the build's log:" >&2
  tail -n 25 "$build_log" >&2
  echo "run: the build failed; its whole log is $build_log" >&2
  exit 1
fi

source scripts/wine-env.sh

# The user's own prefix, kept between runs so that the settings survive.
export WINEPREFIX=${PARLOWEN_WINEPREFIX:-$HOME/.local/share/parlowen/wine}
prepare_wine_prefix "$WINEPREFIX"

run_dir=$root/build/run
headless=
recorder=
demo_log=$run_dir/demo-chat.log
mkdir -p "$run_dir"
if [[ -z ${DISPLAY:-} ]]; then
  headless=1
  start_virtual_display
  start_private_audio_server "$run_dir/audio"
  echo "run: no DISPLAY, using the virtual display $DISPLAY and a private audio server"
fi
cleanup() {
  [[ -n $recorder ]] && kill -INT "$recorder" 2>/dev/null && wait "$recorder" 2>/dev/null
  wineserver -k 2>/dev/null
  stop_private_audio_server
  stop_virtual_display
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [[ -n $headless ]]; then
  rm -f "$run_dir/speech.wav"
  parec -d null.monitor --format=s16le --rate=22050 --channels=1 --file-format=wav \
    "$run_dir/speech.wav" &
  recorder=$!
fi

wine build/windows/parlowen.exe 2>/dev/null &
program=$!
# A stand-in chat window beside it, for trying Parlowen without a messenger: type a
# line and send it as yourself or as the friend, and hear it read.
sleep 2
if [[ -z $headless ]]; then
  wine build/windows/parlowen-demo-chat.exe 2>/dev/null &
else
  wine build/windows/parlowen-demo-chat.exe /tour >"$demo_log" 2>/dev/null &
  for _ in $(seq 1 60); do
    grep -q 'tour done' "$demo_log" 2>/dev/null && break
    sleep 0.5
  done
  grep -q 'tour done' "$demo_log" || echo "run: the demo chat did not finish its messages" >&2
  # The restored windows repaint before the screenshot.
  sleep 1
  import -window root "$run_dir/screenshot.png"
  kill -INT "$recorder" && wait "$recorder" || true
  recorder=
  echo "run: screenshot saved to $run_dir/screenshot.png"
  echo "run: what Parlowen said is recorded in $run_dir/speech.wav"
  echo "run: Parlowen is running; press Ctrl+C to end it"
fi
wait "$program" || true
