#!/usr/bin/env bash
# Prints how soon the real program's speech is heard at the sound server and how soon it
# stops (eSpeak NG engine). The benchmark and its listener are 64-bit; the program is the
# 64-bit one, or with WIDTH=32 the 32-bit one (in the same 64-bit prefix, as WoW64 runs
# it). Build first with scripts/build.sh. The audio server is its own, with no other
# recorder on it: every stream asks the null sink for a latency, and the sink runs at the
# lowest one asked. With GROUP=1 the chat window is a group window, its sender a member;
# with BEHIND=1 another chat window is in front of it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
audio=$root/build/sound-latency-audio
rm -rf "$audio"
start_private_audio_server "$audio"
trap stop_private_audio_server EXIT
if [[ -n ${GROUP:-} ]]; then export PARLOWEN_BENCH_GROUP=1; fi
if [[ -n ${BEHIND:-} ]]; then export PARLOWEN_BENCH_BEHIND=1; fi
if [[ ${WIDTH:-64} == 32 ]]; then
  export PARLOWEN_BENCH_PROGRAM=$(windows_path "$root/build/windows32/parlowen.exe")
fi
"$root/scripts/wine-run.sh" "$root/build/windows/parlowen_sound_latency_bench.exe"
