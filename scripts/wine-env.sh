# Sourced by the run and test scripts: the Wine environment Parlowen runs in, a shared
# prepared prefix, and a virtual X display.

export WINEDEBUG=${WINEDEBUG:--all}
# No prefix may ever ask to download Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The ANSI code page is then 936 (GBK), as on the users' systems.
export LANG=zh_CN.GBK LC_ALL=zh_CN.GBK

# Creates (once) and prints a prepared prefix at $1; later runs reuse it. A Windows
# version for winecfg (winxp64 …) as $2 makes the prefix report that version; win32 as $3
# makes it a 32-bit-only prefix, as on a 32-bit Windows (else 64-bit, with 32-bit support).
prepare_wine_prefix() {
  local prefix=$1 version=${2:-} arch=${3:-win64}
  if [[ ! -f $prefix/.parlowen-ready ]]; then
    echo "wine: preparing the prefix $prefix (once)" >&2
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"
    WINEARCH=$arch WINEPREFIX=$prefix wine wineboot -i >/dev/null 2>&1 || true
    # Wine draws the title bars itself: a bare virtual display has no window manager.
    WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    if [[ -n $version ]]; then
      WINEPREFIX=$prefix wine winecfg -v "$version" >/dev/null 2>&1
    fi
    WINEPREFIX=$prefix wineserver -w
    touch "$prefix/.parlowen-ready"
  fi
}

# Starts Xvfb on a free display number and exports DISPLAY; XVFB_PID names it.
start_virtual_display() {
  local n=90
  while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  within_5s test -e "/tmp/.X11-unix/X$n" && return 0
  echo "wine: Xvfb did not start on $DISPLAY" >&2
  return 1
}

# Runs the command every 0.1 s until it succeeds, for 5 seconds at most.
within_5s() {
  local i
  for i in $(seq 1 50); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

stop_virtual_display() {
  [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

# The Windows path Wine gives a Unix path (through the Z: drive).
windows_path() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

# Starts a private PulseAudio server in folder $1 whose only output is a null sink,
# "null", so that what is played can be recorded from "null.monitor" without a sound
# card; exports PULSE_SERVER for the programs started after it. AUDIO_PID names it. When
# $2 names a file, what the sink plays is recorded into it until the server is stopped
# (16 kHz, 16-bit, mono, raw: a sample's place in the file is its time).
start_private_audio_server() {
  local dir=$1 recording=${2:-}
  mkdir -p "$dir/home" "$dir/runtime"
  chmod 700 "$dir/runtime"
  HOME=$dir/home XDG_RUNTIME_DIR=$dir/runtime \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
      -L 'module-null-sink sink_name=null' \
      -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" >"$dir/pulseaudio.log" 2>&1 &
  AUDIO_PID=$!
  export PULSE_SERVER=unix:$dir/native
  if ! within_5s pactl info; then
    echo "audio: the private PulseAudio server did not start (see $dir/pulseaudio.log)" >&2
    return 1
  fi
  if [[ -n $recording ]]; then
    parec -d null.monitor --rate=16000 --channels=1 --format=s16le --latency-msec=20 --raw >"$recording" &
    RECORDER_PID=$!
  fi
}

stop_private_audio_server() {
  [[ -n ${RECORDER_PID:-} ]] && kill "$RECORDER_PID" 2>/dev/null && wait "$RECORDER_PID" 2>/dev/null
  RECORDER_PID=
  [[ -n ${AUDIO_PID:-} ]] && kill "$AUDIO_PID" 2>/dev/null && wait "$AUDIO_PID" 2>/dev/null
  AUDIO_PID=
}
