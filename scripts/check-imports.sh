#!/usr/bin/env bash
# Lists the functions a Windows executable imports (from `objdump -p`) and fails on any
# that is not in an allow-list of functions Windows XP has (scripts/xp32-imports.txt for
# the 32-bit program, scripts/xp-imports.txt for the 64-bit one on XP x64). Usage:
#   scripts/check-imports.sh program.exe [allow-list]
# A new import belongs in the list only once it is known to exist on Windows XP.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$1
allowed=${2:-$root/scripts/xp-imports.txt}

imports=$(x86_64-w64-mingw32-objdump -p "$exe" |
  awk '/DLL Name:/ { dll = toupper($3); next }
       /^\t[0-9a-f]+\t *[0-9]+ +[A-Za-z_]/ && dll != "" { print dll " " $3 }
       /^$/ { }' | sort -u)
if [[ -z $imports ]]; then
  echo "imports: none found in $exe" >&2
  exit 1
fi
unknown=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allowed" | sed '/^$/d' | sort -u))
count=$(echo "$imports" | wc -l)
if [[ -n $unknown ]]; then
  echo "imports: $(basename "$exe") imports functions Windows XP may lack:"
  echo "$unknown" | sed 's/^/  /'
  exit 1
fi
echo "imports: all $count imports of $(basename "$exe") are XP-era"
