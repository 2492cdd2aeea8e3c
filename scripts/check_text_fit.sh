#!/usr/bin/env bash
# Shows every page and tab of the program in each language of Language.config
# and lists the texts cut short to fit their boxes, as the program reports
# them with TALVEN_REPORT_TEXT_FIT set.
#
#   scripts/check_text_fit.sh [LANGUAGE_ID ...]     default: every language
#
# Exits 1 when some text is cut. Runs the built program under xvfb-run,
# each language in its own temporary user folders.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
app="${TALVEN_BUILD_DIR:-$root/build}/app/talven-k88"
[[ -x "$app" ]] || { echo "build the program first" >&2; exit 2; }
config="$root/resources/DefaultData/Language.config"
if (($# == 0)); then
  mapfile -t ids < <(python3 -c 'import json,sys; print("\n".join(str(l["Language_ID"]) for l in json.load(open(sys.argv[1]))["Language"]))' "$config")
else
  ids=("$@")
fi
views=("mouse 1" "mouse 2" "mouse 3" "mouse 4" "mouse 5" "keyboard 1" "keyboard 2" "keyboard 3" "keyboard 4"
       "MousePad 1" "HD 1" "HD 6" "HD 7")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
for id in "${ids[@]}"; do
  dir="$work/$id"
  mkdir -p "$dir/run" "$dir/data" "$dir/sim" "$dir/conf/TALVEN  K88  Gaming Keyboard"
  chmod 700 "$dir/run"
  printf '[General]\nLANGUAGE=%s\n' "$id" > "$dir/conf/TALVEN  K88  Gaming Keyboard/settings.ini"
  for view in "${views[@]}" "settings"; do
    read -r page tab <<< "$view"
    args=(--demo --screenshot "$dir/shot.png")
    if [[ "$page" == settings ]]; then args+=(--open settings); else args+=(--page "$page" --tab "$tab"); fi
    TALVEN_REPORT_TEXT_FIT=1 XDG_RUNTIME_DIR="$dir/run" XDG_DATA_HOME="$dir/data" XDG_CONFIG_HOME="$dir/conf" \
      TALVEN_SIM_DIR="$dir/sim" timeout 60 xvfb-run -a -s '-screen 0 1600x1000x24' "$app" "${args[@]}" 2>&1 \
      | grep '^text-fit:' || true
  done | sort -u > "$dir/report"
  if [[ -s "$dir/report" ]]; then
    status=1
    sed "s/^/$id /" "$dir/report"
  fi
done
exit $status
