#!/bin/bash
# Drives the real executable in file mode under Xvfb with xdotool.
#   editor_e2e.sh save|drop-cancel TARNWICK PLAN_TOOL WORKDIR
# save:        opens the editor (command 6) on event E of a small plan, types
#              a number and a subdivision, marks B as a predecessor, presses
#              "Сохранить", and checks the saved drawing.
# drop-cancel: command 7, then "Отмена": the new event stays, unchanged.
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
mode="$1" tarnwick="$(realpath "$2")" tool="$(realpath "$3")" work="$(realpath -m "$4")"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }

rm -rf "$work"
mkdir -p "$work"
cd "$work"

# A display of our own; Xvfb picks a free number and tells it.
exec 3>display.txt
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >xvfb.log 2>&1 &
xvfb=$!
app=
cleanup() {
  [[ -n "$app" ]] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [[ -s display.txt ]] && break; sleep 0.1; done
export DISPLAY=":$(head -1 display.txt)"
export QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME

fail() { echo "FAIL: $*"; echo "--- run.log"; cat run.log 2>/dev/null || true; exit 1; }

# Waits for a window whose name matches $1 and prints its id.
window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    kill -0 "$app" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

click() {  # window x y: a click at a point of the window's client area
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.4
}

# The run reads "tarnwick.ini" beside the executable; without one it warns
# (the editor then works without reference data). Dismiss the warning.
start() {
  "$tarnwick" "$@" >run.log 2>&1 &
  app=$!
  if warn=$(window '^Warning$'); then
    xdotool windowfocus --sync "$warn" key Return || true
  fi
  editor=$(window 'Редактор события') || fail "the editor did not open"
  xdotool windowfocus --sync "$editor"
  sleep 0.8
}

finish() {
  local rc=0
  for _ in $(seq 200); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  wait "$app" || rc=$?
  app=
  [[ $rc -eq 0 ]] || fail "tarnwick ended with exit code $rc"
}

eval "$("$tool" make plan.vsdx)"  # sets A, B and E
"$tool" dump plan.vsdx >before.txt

case "$mode" in
  save)
    start --drawing plan.vsdx --select "$E" 6
    # Focus starts in the number field; the subdivision is next in tab order.
    xdotool key ctrl+a && xdotool type --delay 30 'P7'
    xdotool key Tab ctrl+a && xdotool type --delay 30 'Новый отдел'
    sleep 0.3
    click "$editor" 240 10    # the tab "Список предшествующих событий"
    click "$editor" 200 87    # the second item: event B
    xdotool key space
    sleep 0.2
    click "$editor" 541 310   # "Сохранить"
    finish
    "$tool" dump plan.vsdx >after.txt
    grep -qxF "event $E|P7|Новый отдел|1.10.3|Приёмочные испытания|0||15.04.2026||pin=5,5" after.txt ||
      fail "values of E: $(grep "^event $E|" after.txt)"
    grep -qxF "event $B|P2|Цех № 1 механообработки|1.6.2|Изготовление опытного образца|40|Материал \"Ст3\"|01.03.2026||pin=1,3" after.txt ||
      fail "B changed: $(grep "^event $B|" after.txt)"
    grep -q "|BeginX->$A.Connections.X1|EndX->$E.Connections.X2|ends on points: yes$" after.txt ||
      fail "the connector from A is gone"
    grep -q "|BeginX->$B.Connections.X1|EndX->$E.Connections.X2|ends on points: yes$" after.txt ||
      fail "no connector from B's point 1 to E's point 2: $(grep ^connector after.txt)"
    [[ $(grep -c ^connector after.txt) -eq 2 ]] || fail "expected two connectors: $(grep ^connector after.txt)"
    # Connect elements in the saved page part, both ends of the new connector.
    unzip -p plan.vsdx 'visio/pages/page*.xml' | grep -o '<Connect [^>]*>' >connects.txt
    grep -q "ToSheet=['\"]$B['\"]" connects.txt || fail "no Connect element to B: $(cat connects.txt)"
    ;;
  drop-cancel)
    start --drawing plan.vsdx 7
    xdotool key ctrl+a && xdotool type --delay 30 'не сохранять'
    click "$editor" 649 310   # "Отмена"
    finish
    "$tool" dump plan.vsdx >after.txt
    [[ $(grep -c ^event after.txt) -eq 4 ]] || fail "expected a fourth event: $(cat after.txt)"
    new=$(grep ^event after.txt | grep -vxF -f before.txt) || fail "no new event"
    [[ "$new" == *"|pin=2,9" ]] || fail "the new event is not at (2, 9): $new"
    [[ "$new" != *"не сохранять"* ]] || fail "cancelled values were saved: $new"
    grep -q '^connector' before.txt && diff <(grep ^connector before.txt) <(grep ^connector after.txt) >/dev/null ||
      fail "connectors changed"
    ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac
echo "PASS $mode"
