# Sourced by the run and test scripts: the Wine environment Parlowen runs in, a shared
# prepared prefix, and a virtual X display.

export WINEDEBUG=${WINEDEBUG:--all}
# No prefix may ever ask to download Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The ANSI code page is then 936 (GBK), as on the users' systems.
export LANG=zh_CN.GBK LC_ALL=zh_CN.GBK

# Whether Wine's 32-bit side runs here. Some kernels run no 32-bit program (built without
# IA32 emulation, or in a virtual machine whose 32-bit code segment is unusable): Wine's
# 32-bit loader then answers "Exec format error", and Debian's `wine` script, which takes
# that loader whenever it is installed, fails even in 64-bit prefixes. There every `wine`
# of these scripts goes through the 64-bit loader (scripts/wine64-only), and what needs
# the 32-bit side is run through an emulator (PARLOWEN_WINE32=emulated) or skipped with the
# reason (PARLOWEN_WINE32=no, PARLOWEN_WINE32_WHY). PARLOWEN_WINE32_LOADER names another loader
# to ask, one that fails, to take that path on any machine.
parlowen_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [[ -z ${PARLOWEN_WINE32:-} ]]; then
  if wine32_answer=$(LC_ALL=C bash -c '"$0" --version' "${PARLOWEN_WINE32_LOADER:-/usr/lib/wine/wine}" 2>&1); then
    export PARLOWEN_WINE32=yes
  else
    wine32_answer=${wine32_answer##*$'\n'}
    export PARLOWEN_WINE32=no
    export PARLOWEN_WINE32_WHY="Wine's 32-bit loader answers \"${wine32_answer##*: }\""
  fi
  unset wine32_answer
fi
# Emulated (scripts/wine32-emulation.sh), the 32-bit loader runs as on a machine that
# runs it natively, only slower.
wine64_only=$parlowen_root/scripts/wine64-only
if [[ $PARLOWEN_WINE32 == no ]]; then
  export WINELOADER=/usr/lib/wine/wine64
  [[ :$PATH: == *:$wine64_only:* ]] || export PATH=$wine64_only:$PATH
elif [[ :$PATH: == *:$wine64_only:* ]]; then
  PATH=:$PATH:
  PATH=${PATH//:$wine64_only:/:}
  PATH=${PATH#:}
  export PATH=${PATH%:}
  unset WINELOADER
fi
unset wine64_only

# Prints, once at the start of a command, that 32-bit Wine cannot run here; $1 names the
# command.
tell_wine32() {
  [[ $PARLOWEN_WINE32 == no ]] || return 0
  echo "$1: this machine runs no 32-bit program: $PARLOWEN_WINE32_WHY; 64-bit prefixes and programs run through Wine's 64-bit loader"
}

# Creates (once) and prints a prepared prefix at $1; later runs reuse it. A Windows
# version for winecfg (winxp64 …) as $2 makes the prefix report that version; win32 as $3
# makes it a 32-bit-only prefix, as on a 32-bit Windows (else 64-bit, with 32-bit support).
prepare_wine_prefix() {
  local prefix=$1 version=${2:-} arch=${3:-win64}
  # A prefix made where 32-bit Wine could not run lacks its 32-bit side: it is made again
  # on a machine that has one.
  local kind="wine32=$PARLOWEN_WINE32"
  [[ $(cat "$prefix/.parlowen-ready" 2>/dev/null) == "$kind" ]] && return 0
  if [[ $arch == win32 && $PARLOWEN_WINE32 == no ]]; then
    echo "wine: cannot prepare the 32-bit-only prefix $prefix: $PARLOWEN_WINE32_WHY" >&2
    return 1
  fi
  echo "wine: preparing the prefix $prefix (once)" >&2
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  local log=$prefix.prepare.log
  rm -f "$log"
  in_new_prefix "$prefix" "$arch" "$log" wineboot -i &&
    in_new_prefix "$prefix" "$arch" "$log" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f &&
    { [[ -z $version ]] || in_new_prefix "$prefix" "$arch" "$log" winecfg -v "$version"; } || return 1
  WINEPREFIX=$prefix wineserver -w
  echo "$kind" >"$prefix/.parlowen-ready"
}

# Runs `wine "$4"...` in prefix $1 of width $2 as a step of preparing it, its words going
# to log $3; a failing step shows the log's end and says which step it was.
in_new_prefix() {
  local prefix=$1 arch=$2 log=$3
  shift 3
  WINEARCH=$arch WINEPREFIX=$prefix wine "$@" >>"$log" 2>&1 && return 0
  local status=$?
  grep -v -e '^[0-9a-f]*:fixme:' "$log" | tail -n 20 >&2
  echo "wine: preparing the prefix $prefix failed at \"wine $*\" (status $status); its whole log is $log" >&2
  return 1
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
