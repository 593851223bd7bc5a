#!/usr/bin/env bash
# Includes run one way: a folder of src/ includes only itself and the folders
# below it. From the ground up:
#   platform                     ports and their Win32 adapters
#   common                       what the subsystems share: messages, product
#                                profile, window port, guard, web opener, text
#   ui                           the window kit
#   web                          text decoders, login dialog; below the other
#                                subsystems because registry reads backups
#                                with its decoders
#   registry, service, dialogs   one rank: none of them includes another
#   app                          start-up, main window, services, database check
#   src/ itself (main_win.cpp)   the top
# resources/ and includes without a folder (build_config.h, resource_ids.h,
# version.h: generated settings and resource ids) are outside the order.
# usage: include_direction.sh SRC_DIR
# Prints every include that breaks the order and exits 1 when there is one.
set -euo pipefail
src=${1:?usage: include_direction.sh SRC_DIR}
src=${src%/}
declare -A rank=([platform]=0 [common]=1 [ui]=2 [web]=3 [registry]=4 [service]=4 [dialogs]=4 [app]=5 [.]=6)
outside=resources
include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)"'
bad=0
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  text=${rest#*:}
  [[ $text =~ $include_re ]] || continue
  target=${BASH_REMATCH[1]}
  rel=${file#"$src"/}
  from=.
  [[ $rel == */* ]] && from=${rel%%/*}
  [[ $from == "$outside" || $target != */* ]] && continue
  to=${target%%/*}
  [[ $to == "$outside" || $to == "$from" ]] && continue
  if [[ -z ${rank[$from]+set} ]]; then
    reason="src/$from/ has no place in the order"
  elif [[ -z ${rank[$to]+set} ]]; then
    reason="$to/ has no place in the order"
  elif ((rank[$to] >= rank[$from])); then
    reason="$from/ may not include $to/"
  else
    continue
  fi
  echo "$file:$line: #include \"$target\": $reason"
  bad=1
done < <(grep -rnIE "$include_re" "$src" | sort)
exit $bad
