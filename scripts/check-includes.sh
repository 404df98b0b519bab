#!/usr/bin/env bash
# Fails when a file in src includes a header of a room above its own. The rooms, from
# the bottom: text, chat (who wrote a message) and win32; then log, speech and capture,
# which know nothing of each other; then app, and the voice process. Portable text
# knows nothing of Windows.
set -euo pipefail
cd "$(dirname "$0")/.."

level() {
  case $1 in
    text | chat | win32) echo 0 ;;
    log | speech | capture) echo 1 ;;
    app | voice) echo 2 ;;
    *) echo 9 ;;
  esac
}

wrong=0
checked=0
while IFS= read -r file; do
  room=${file#src/}
  room=${room%%/*}
  own=$(level "$room")
  while IFS= read -r target; do
    [[ -z $target || $target == "$room" ]] && continue
    theirs=$(level "$target")
    if ((theirs >= own)); then
      echo "includes: $file includes $target/, a room at or above its own ($room)"
      wrong=$((wrong + 1))
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_0-9]*\)\/.*/\1/p' "$file" | sort -u)
  checked=$((checked + 1))
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

if ((wrong > 0)); then
  echo "includes: $wrong include(s) run the wrong way"
  exit 1
fi
echo "includes: all $checked files of src include only their own room and those below it"
