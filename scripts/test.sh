#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the native unit tests (under
# AddressSanitizer and UBSan), the end-to-end suite under Wine, the Linux package's
# install, start and removal, and each fuzz target for 15 seconds. All of them always run;
# the last line adds up what they counted. On a machine that runs no 32-bit program the
# 64-bit program runs the end-to-end suite, and what only the 32-bit program or a 32-bit
# prefix can show is skipped, each with its reason on a line of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
# A step that fails says which, besides its own error.
trap 'echo "test: failed (status $?) at line $LINENO: $BASH_COMMAND" >&2' ERR

scripts/setup.sh
(source scripts/wine-env.sh && tell_wine32 test)
scripts/build.sh
source scripts/wine-env.sh

status=0
# What could not run on this machine, each with its reason on a line of its own: the
# line goes out now and again at the end; $3 is how many cases it counts.
skipped=0
skip_lines=()
skip() {
  skip_lines+=("skipped: $1: $2")
  echo "${skip_lines[-1]}"
  skipped=$((skipped + $3))
}
# The program must start on Windows XP: it imports nothing XP lacks, the 32-bit one
# nothing of a 32-bit XP without service pack, the 64-bit one nothing of XP x64.
imports_failed=0
scripts/check-imports.sh build/windows32/parlowen.exe scripts/xp32-imports.txt || { imports_failed=1; status=1; }
scripts/check-imports.sh build/windows/parlowen.exe scripts/xp-imports.txt || { imports_failed=1; status=1; }
# Each room of src includes only its own and those below it.
includes_failed=0
scripts/check-includes.sh || { includes_failed=1; status=1; }
package_failed=0
scripts/check-package.sh 2>&1 | tee build/package-check.log || { package_failed=1; status=1; }
# Several prefixes on one desktop, each with its own autostart entry.
prefixes_failed=0
tests/e2e/autostart-prefixes.sh || { prefixes_failed=1; status=1; }
ctest --preset native 2>&1 | tee build/unit-tests.log || status=1
if [[ $PARLOWEN_WINE32 == yes ]]; then
  e2e_presets=("e2e -LE 32only" "e2e64 -LE whole")
else
  # The 64-bit program runs the whole suite in 64-bit prefixes. What only the 32-bit
  # program or a 32-bit prefix shows (the Windows XP prefixes, the registry view 32-bit
  # voices are read from, the installer, the pairings with a 32-bit messenger) runs
  # emulated where it can, and is skipped with the reason where it cannot.
  e2e_presets=("e2e64 -L whole")
  if why=$(scripts/wine32-emulation.sh --check); then
    echo "test: what only the 32-bit program or a 32-bit prefix shows runs with 32-bit Wine emulated (qemu-i386)"
    e2e_presets+=("emulated e2e -L xp|32only" "emulated e2e64 -LE whole")
  else
    xp_cases=$(grep -h -c '^E2E_TEST_ON_WINDOWS_5(' tests/e2e/*.cpp | awk '{ n += $1 } END { print n }')
    skip "the end-to-end cases for Windows XP, in a 32-bit-only and a 64-bit prefix" "$PARLOWEN_WINE32_WHY; $why" \
      $((2 * xp_cases))
  fi
fi
(e2e_status=0
 for preset in "${e2e_presets[@]}"; do
   if [[ $preset == emulated* ]]; then
     scripts/wine32-emulation.sh ctest --preset ${preset#emulated } 2>&1 || e2e_status=1
   else
     ctest --preset $preset 2>&1 || e2e_status=1
   fi
 done
 exit $e2e_status) | tee build/e2e-tests.log || status=1
scripts/fuzz.sh 15 2>&1 | tee build/fuzz-tests.log || status=1

# CTest ends with "100% tests passed, 0 tests failed out of 89", each run of the driver
# (the 32-bit program in the default prefix and in two that report Windows XP, the 64-bit
# one's capture cases, or where no 32-bit program runs its whole suite in four shards) with
# "40 passed, 0 failed, 0 skipped".
# A suite that printed no count failed as a whole: one failure.
unit_counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' build/unit-tests.log | tail -n 1)
e2e_runs=$(grep -c '^[0-9: ]*Test command:' build/e2e-tests.log || true)
e2e_counts=$(grep -o '^[0-9: ]*[0-9]* passed, [0-9]* failed' build/e2e-tests.log | sed 's/^.*: //; s/ passed, / /; s/ failed//' |
  awk -v runs="$e2e_runs" '{ p += $1; f += $2; n++ } END { if (n < runs) f += runs - n; if (n) print p, f }')
read -r unit_failed unit_total <<<"${unit_counts:-1 1}"
read -r e2e_passed e2e_failed <<<"${e2e_counts:-0 1}"
unit_passed=$((unit_total - unit_failed))
fuzz_passed=$(grep -c '^fuzz: .*: ok' build/fuzz-tests.log || true)
fuzz_failed=$(grep -c '^fuzz: .*: FINDING' build/fuzz-tests.log || true)
((fuzz_passed + fuzz_failed > 0)) || fuzz_failed=1
# The driver repeats each failure as "[ FAIL ] case: file:line: what", and as "[ FLAKY ]"
# when the case passed on its second run; the end of the log is what survives a truncated
# CI report.
grep -h '\[ \(FAIL\|FLAKY\) \] .*: .*:[0-9]*: ' build/e2e-tests.log | sed 's/^[0-9]*: /e2e /' || true
grep -h '\[ SKIP \] ' build/e2e-tests.log | sed 's/^[0-9]*: /e2e /' || true
e2e_skipped=$(grep -o '^[0-9: ]*[0-9]* passed, [0-9]* failed, [0-9]* skipped' build/e2e-tests.log |
  sed 's/^.* failed, //; s/ skipped//' | awk '{ n += $1 } END { print n + 0 }')
skipped=$((skipped + e2e_skipped))
sed -n 's/^package: skipped /skipped: package: /p' build/package-check.log
package_skipped=$(grep -c '^package: skipped' build/package-check.log || true)
skipped=$((skipped + package_skipped))
for line in "${skip_lines[@]}"; do echo "$line"; done
grep -h -A3 '^==[0-9]*==ERROR\|Failure$' build/unit-tests.log | head -n 40 || true
# Cases that passed only when run again, which the driver reports as "N flaky".
e2e_flaky=$(grep -o '^[0-9: ]*[0-9]* flaky$' build/e2e-tests.log | sed 's/^.*: //; s/ flaky//' | awk '{ n += $1 } END { print n + 0 }')
echo "unit: $unit_passed passed, $unit_failed failed"
echo "e2e: $e2e_passed passed, $e2e_failed failed, $e2e_skipped skipped"
echo "fuzz: $fuzz_passed passed, $fuzz_failed failed"
echo "imports: $((1 - imports_failed)) passed, $imports_failed failed"
echo "includes: $((1 - includes_failed)) passed, $includes_failed failed"
echo "package: $((1 - package_failed)) passed, $package_failed failed"
echo "autostart prefixes: $((1 - prefixes_failed)) passed, $prefixes_failed failed"
echo "e2e flaky: $e2e_flaky case(s) passed only when run again"
checks_failed=$((imports_failed + includes_failed + package_failed + prefixes_failed))
echo "total: $((unit_passed + e2e_passed + fuzz_passed + 4 - checks_failed)) passed, $((unit_failed + e2e_failed + fuzz_failed + checks_failed)) failed, $skipped skipped"
exit $status
