#!/usr/bin/env bash
# Installs what building and testing Parlowen needs on Debian 12, as root.
# Quick and silent when everything is already there.
#   scripts/setup.sh --list   prints the packages it installs, one a line, and nothing else
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev libbenchmark-dev       # native core and its tests
  clang libclang-rt-14-dev                                  # fuzzing the core with libFuzzer
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix       # the Windows program, 64-bit and 32-bit
  mingw-w64-tools nsis                                      # its installer
  wine wine64 wine32:i386 xvfb xauth imagemagick x11-utils  # running both under Wine (WoW64) on a virtual display
  locales fonts-wqy-microhei                                # GBK code page and Chinese glyphs
  wine64-tools libwine-dev                                  # the eSpeak NG voice process (Winelib): wine64-tools
                                                            #   is content with libwine-dev:i386, so name amd64's too
  libespeak-ng-dev espeak-ng-data libsoxr-dev
  libpcaudio-dev                                            # its sound output (eSpeak NG's own audio library)
  g++-multilib libwine-dev:i386 libespeak-ng-dev:i386       # the 32-bit voice process, built with wineg++ -m32,
  libsoxr-dev:i386 libpcaudio-dev:i386                      #   for 32-bit-only prefixes
  pulseaudio pulseaudio-utils sox                           # a private audio server, recording and measuring speech
  libpulse-dev                                              # the sound latency benchmark's listener (Winelib, libpulse-simple)
  procps                                                    # pgrep, for the package check
  lintian desktop-file-utils appstream                      # Debian's checks of the package
)

if [[ ${1:-} == --list ]]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

# Wine's 32-bit side, which runs the 32-bit program, comes from Debian's i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture"
  dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]} (minutes on a new machine)"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # apt's progress goes to a log; its errors, and the log's end when it fails, to the terminal.
  log=$(mktemp -t parlowen-setup.XXXXXX)
  if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log"; then
    tail -n 20 "$log" >&2
    echo "setup: installing packages failed; apt's whole output is in $log" >&2
    exit 1
  fi
  rm -f "$log"
fi

# Wine takes its ANSI code page from the locale: zh_CN.GBK gives code page 936.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.gbk'; then
  echo "setup: generating the zh_CN.GBK locale"
  localedef -i zh_CN -f GBK zh_CN.GBK
fi
