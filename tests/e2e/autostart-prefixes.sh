#!/usr/bin/env bash
# The desktop autostart entries of several Wine prefixes on one desktop: two prefixes that
# share the autostart folder tick and untick the option independently, and a prefix
# without a Z: drive, whose home Wine names as "\??\unix\…", writes and removes its entry
# there. Runs the 32-bit driver's AutostartStep cases in each prefix in turn (each checks
# its own entry) and checks the shared folder between the steps. Where no 32-bit program
# runs, the 64-bit driver takes its place. Ends with
# "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
# The 32-bit driver, the program users install; the 64-bit one where no 32-bit program runs.
build=$root/build/windows32
[[ $PARLOWEN_WINE32 == yes ]] || build=$root/build/windows
work=$root/build/autostart-prefixes
rm -rf "$work"
mkdir -p "$work/config" "$work/home" "$work/screenshots"

prepare_wine_prefix "$root/build/wine/template" || exit 1
for prefix in a b noz; do cp -a "$root/build/wine/template" "$work/$prefix"; done
# A prefix that maps no drive to the Unix root runs a copy of the program from its C: drive.
rm "$work/noz/dosdevices/z:"
mkdir -p "$work/noz/drive_c/e2e"
cp "$build"/*.exe "$build"/*.dll "$build/parlowen-voice.exe.so" "$work/noz/drive_c/e2e/"

start_virtual_display || exit 1
trap 'for p in a b noz; do WINEPREFIX=$work/$p wineserver -k 2>/dev/null; done; stop_virtual_display' EXIT

passed=0
failed=0
# Runs driver case $2 in prefix $1, which checks the prefix's own entry.
step() {
  local prefix=$1 case=$2 driver shots run
  last_step="$case in prefix $prefix"
  if [[ $prefix == noz ]]; then
    driver='C:\e2e\parlowen_e2e.exe' shots='C:\e2e'
    run=(env -u XDG_CONFIG_HOME HOME="$work/home")
  else
    driver=$build/parlowen_e2e.exe shots=$(windows_path "$work/screenshots")
    run=(env XDG_CONFIG_HOME="$work/config")
  fi
  if WINEPREFIX=$work/$prefix "${run[@]}" wine "$driver" "$shots" "$case" >"$work/$prefix-$case.out" 2>>"$work/$prefix.log"; then
    passed=$((passed + 1))
  else
    grep -h '^\[ FAIL \]' "$work/$prefix-$case.out" | sed "s/^/autostart-prefixes: $prefix: /"
    echo "[ FAIL ] autostart-prefixes: $last_step (see $work/$prefix-$case.out)"
    failed=$((failed + 1))
  fi
  WINEPREFIX=$work/$prefix wineserver -w
}

# The number of entries in autostart folder $1 that start prefix $2 (all of them without $2).
entries() {
  local pattern=WINEPREFIX=${2:+\"$work/$2\"}
  grep -l -s -F -e "$pattern" "$1"/parlowen-*.desktop | wc -l
}

# Checks that $2 is $3 after the last step; $1 says what that means.
expect() {
  if [[ $2 == "$3" ]]; then
    passed=$((passed + 1))
  else
    echo "[ FAIL ] autostart-prefixes: after $last_step: $1 (found $2, not $3)"
    failed=$((failed + 1))
  fi
}

shared=$work/config/autostart
step a AutostartStepTick
expect "one entry, prefix a's" "$(entries "$shared" a)/$(entries "$shared")" 1/1
step b AutostartStepTick
expect "two entries, a's and b's" "$(entries "$shared" a)/$(entries "$shared" b)/$(entries "$shared")" 1/1/2
step a AutostartStepUntick
expect "only b's entry left" "$(entries "$shared" b)/$(entries "$shared")" 1/1
step b AutostartStepUntick
expect "no entry left" "$(entries "$shared")" 0
home=$work/home/.config/autostart
step noz AutostartStepTick
expect "its entry in the home Wine names as \\??\\unix\\..." "$(entries "$home" noz)" 1
step noz AutostartStepUntick
expect "no entry left" "$(entries "$home")" 0

echo "$passed passed, $failed failed"
((failed == 0))
