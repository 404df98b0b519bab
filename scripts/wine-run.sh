#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, as CTest's emulator for the Windows
# build: in a fresh copy of the prepared prefix, on a private virtual display. When
# PARLOWEN_WINE_VERSION names a Windows version (winxp, winxp64), the prefix reports it
# and has a prepared template of its own; PARLOWEN_WINE_ARCH=win32 makes it a
# 32-bit-only prefix (a template of its own too). When PARLOWEN_SCREENSHOTS names a folder, it starts
# empty and the BMP screenshots the program leaves there are turned into PNG files.
# When PARLOWEN_E2E_AUDIO names a folder, a private audio server runs whose output is
# recorded there as recording.raw (16 kHz, 16-bit, mono; PARLOWEN_E2E_RECORDING names it
# for the program), and the WAV files the program leaves beside it are measured with sox.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"

version=${PARLOWEN_WINE_VERSION:-}
arch=${PARLOWEN_WINE_ARCH:-win64}
kind=${version:+-$version}${PARLOWEN_WINE_ARCH:+-$arch}
template=$root/build/wine/template$kind
prefix=${PARLOWEN_PREFIX:-$root/build/wine/e2e$kind}

# A 32-bit program where none can run fails with the reason, not with Wine's "Bad EXE format".
pe_header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null)
if [[ $PARLOWEN_WINE32 == no && -n $pe_header && $(od -An -tx2 -j$((pe_header + 4)) -N2 "$1") == " 014c" ]]; then
  echo "wine: $1 is a 32-bit program: $PARLOWEN_WINE32_WHY"
  exit 1
fi
prepare_wine_prefix "$template" "$version" "$arch" || exit 1
rm -rf "$prefix"
cp -a "$template" "$prefix"
export WINEPREFIX=$prefix
# The desktop entries the program writes (its autostart entry) go beside the prefix,
# never into the user's own configuration.
export XDG_CONFIG_HOME=$prefix-config
rm -rf "$XDG_CONFIG_HOME"
screens=${PARLOWEN_SCREENSHOTS:-}
if [[ -n $screens ]]; then
  rm -rf "$screens"
  mkdir -p "$screens"
fi

start_virtual_display || exit 1
trap 'wineserver -k 2>/dev/null; stop_private_audio_server; stop_virtual_display' EXIT
audio=${PARLOWEN_E2E_AUDIO:-}
if [[ -n $audio ]]; then
  rm -rf "$audio"
  mkdir -p "$audio"
  start_private_audio_server "$audio/server" "$audio/recording.raw" || exit 1
  export PARLOWEN_E2E_RECORDING=$(windows_path "$audio/recording.raw")
fi

# Wine's own messages go to a log beside the prefix; when the program fails, their end is
# shown, as a program that dies leaves its reason only there.
wine_log=$prefix.log
wine "$@" 2>"$wine_log"
status=$?
if (( status != 0 )); then
  echo "wine: exit status $status; the end of $wine_log:"
  grep -v -e '^[0-9a-f]*:fixme:' "$wine_log" | tail -n 40
fi

if [[ -n $screens ]]; then
  for bmp in "$screens"/*.bmp; do
    [[ -e $bmp ]] && convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  done
fi
if [[ -n $audio ]]; then
  for wav in "$audio"/*.wav; do
    [[ -e $wav ]] || continue
    printf 'sound %-22s %s\n' "$(basename "$wav")" \
      "$(sox "$wav" -n stat 2>&1 | awk '/^Length/ {l=$3} /^RMS +amplitude/ {r=$3} END {printf "length %.2f s, RMS %.4f", l, r}')"
  done
fi
exit $status
