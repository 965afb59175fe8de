#!/usr/bin/env bash
# Folders are layers: a file includes its own folder and the folders below it,
# never one above. Usage: check_layers.sh ROOT. Prints each upward include.
set -euo pipefail
root="${1:?usage: check_layers.sh ROOT}"

# folder -> folders it may include besides itself
declare -A allowed=(
  [protocol]=""
  [link]="protocol"
  [config]="protocol link"
  [session]="protocol link config"
  [tools]="protocol link config session"
  [cli]="protocol link config session tools sim simport"
  [ui]="protocol link config session tools"
  [forms]="protocol link config session tools ui"
  [pages]="protocol link config session tools ui forms"
  [app]="protocol link config session tools ui forms pages sim simport"
  [sim]="protocol"
  [simport]="protocol link sim"
)

bad=0
checked=0
for layer in "${!allowed[@]}"; do
  [ -d "$root/$layer" ] || continue
  while IFS= read -r -d '' file; do
    checked=$((checked + 1))
    while IFS=: read -r line target; do
      top="${target%%/*}"
      [ "$top" = "$target" ] && continue # same folder
      [ "$top" = "$layer" ] && continue
      case " ${allowed[$layer]} " in *" $top "*) continue ;; esac
      echo "${file#"$root"/}:$line: $layer/ must not include \"$target\"" >&2
      bad=$((bad + 1))
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
  done < <(find "$root/$layer" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done
echo "$checked files checked, $bad upward includes"
[ "$bad" -eq 0 ]
