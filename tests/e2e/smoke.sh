#!/usr/bin/env bash
# The built program driven as a user drives it, on a virtual display: the
# first start on an empty home (database name and folder typed, the setup
# of the new database closed), the customer list opened from the menu
# screen's 得意先 button, a screenshot, and the program ended from its file
# menu. Usage: smoke.sh [program] [screenshot folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
BIN=$(realpath "${1:-build/bin/corvanta}")
SHOTS=$(realpath -m "${2:-build/e2e-shots}")
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$BIN" "$SHOTS"
fi

work=$(mktemp -d)
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export CORVANTA_HOME=$work/home XDG_RUNTIME_DIR=$work/rt QT_QPA_PLATFORM=xcb
mkdir -p "$CORVANTA_HOME" "$XDG_RUNTIME_DIR" "$SHOTS"
chmod 700 "$XDG_RUNTIME_DIR"

fail() {
  echo "smoke: $*" >&2
  import -window root "$SHOTS/smoke-failed.png" 2>/dev/null || true
  exit 1
}
# The first visible window whose title matches, once it is there.
window() {
  timeout "${2:-20}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

"$BIN" >"$work/log" 2>&1 &
app=$!

w=$(window "データベースフォルダの指定") || fail "no database dialog at the first start"
xdotool mousemove --window "$w" 200 60 click 1
xdotool type --delay 10 "smoke"
xdotool key Tab
xdotool type --delay 10 "$CORVANTA_HOME/smoke"
xdotool key Return
# Making the database and its folder: two questions and the result, each
# answered with Enter until the new database's setup shows.
setup=""
for answer in 1 2 3 4 5 6; do
  if setup=$(window "自社情報の設定" 3); then break; fi
  xdotool key Return
done
[ -n "$setup" ] || fail "no company information dialog on the new database"
xdotool key Escape
window "販売条件の設定" >/dev/null || fail "no sales conditions dialog after the company information"
xdotool key Escape
menu=$(window "Corvanta／販売メニュー") || fail "no menu screen"

# Delete on the menu screen is the carry-forward, which asks first.
xdotool mousemove --window "$menu" 200 30 click 1
xdotool key Delete
window "データベースの繰越処理" 5 >/dev/null || fail "Delete did not open the carry-forward on the menu screen"
xdotool key Escape

# 得意先 (second business button), then its "一覧（修正・削除・印刷）".
list=""
for attempt in 1 2 3 4 5; do
  xdotool mousemove --window "$menu" 124 140 click 1
  xdotool mousemove_relative 30 45 click 1
  if list=$(window "得意先一覧" 3); then break; fi
done
[ -n "$list" ] || fail "the customer list did not open"
import -window root "$SHOTS/smoke-customer-list.png"

# ﾌｧｲﾙ → its last entry, back to the menu screen; there the 終了 button,
# and Enter for whatever is asked before the end.
xdotool mousemove --window "$list" 25 12 click 1
xdotool key Up Return
menu=$(window "Corvanta／販売メニュー" 10) || fail "not back on the menu screen"
xdotool mousemove --window "$menu" 358 479 click 1
# Enter ends; the backup at exit that follows is cancelled with Escape.
for answer in 1 2 3 4 5; do
  if timeout 3 tail --pid="$app" -f /dev/null; then break; fi
  if xdotool search --onlyvisible --name "ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞの選択" >/dev/null 2>&1; then
    xdotool key Escape
  else
    xdotool key Return
  fi
done
kill -0 "$app" 2>/dev/null && fail "the program did not end"
code=0
wait "$app" || code=$?
app=""
[ "$code" = 0 ] || fail "the program ended with $code"
echo "smoke: started, customer list shown, ended"
