#!/usr/bin/env bash
# Prints how soon the real program's speech is heard at the sound server and how soon it
# stops (eSpeak NG engine, 64-bit build; build first with
# `cmake --preset windows && cmake --build --preset windows`). The audio server is its
# own, with no other recorder on it: every stream asks the null sink for a latency, and
# the sink runs at the lowest one asked.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
audio=$root/build/sound-latency-audio
rm -rf "$audio"
start_private_audio_server "$audio"
trap stop_private_audio_server EXIT
"$root/scripts/wine-run.sh" "$root/build/windows/parlowen_sound_latency_bench.exe"
