#!/usr/bin/env bash
# Screenshots of the program's own widgets under a private X server, for looking at them as a user
# would. Needs a build with the GUI (build/release by default):
#   scripts/screenshots.sh [OUTPUT_DIR] [BUILD_DIR]
# Installs Xvfb, xdotool and ImageMagick when missing; starts its own Xvfb on a free display (by
# -displayfd) and stops it, and every program it started, by PID when done.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${1:-$ROOT/build/screenshots}"
BUILD="${2:-$ROOT/build/release}"
mkdir -p "$OUT"

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v import >/dev/null || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake --build "$BUILD" -j3 --target dock_host menu_host quillmark picture_dialog_host >/dev/null

PIDS=()
cleanup() {
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[$i]}" 2>/dev/null || true; done
  for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the descriptor we give it.
displayfile="$(mktemp)"
exec 3>"$displayfile"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$displayfile")"
rm -f "$displayfile"
export QT_QPA_PLATFORM=xcb

shot() { sleep 0.5; import -window root "$OUT/$1.png"; echo "$OUT/$1.png"; }

# ---- Docks and tool windows ----
"$BUILD/tests/dock_host" >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do xdotool search --name "Dock host" >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
# A bare X server leaves the program inactive until it is clicked, and floating tool windows hide
# while the program is inactive: click the form's empty centre first.
# Without a window manager a click gives no keyboard focus: the form is also given it directly.
xdotool mousemove 500 450 click 1
xdotool search --name "Dock host" windowfocus 2>/dev/null || true
shot docks-docked-and-floating
# Take "Standard" by its handle (the form is at 60,60; the top dock has a 1-pixel line) and hold it
# over the centre: the outline of a floating frame shows.
xdotool mousemove 66 72 mousedown 1
for x in 120 200 300 400; do xdotool mousemove "$x" 300; sleep 0.05; done
shot docks-drag-outline-floating
# Over the left dock the outline becomes a docked one.
for y in 280 330 380; do xdotool mousemove 64 "$y"; sleep 0.05; done
shot docks-drag-outline-docked
xdotool mouseup 1
shot docks-after-drop
kill "${PIDS[-1]}" 2>/dev/null || true
wait "${PIDS[-1]}" 2>/dev/null || true
unset 'PIDS[-1]'

# ---- Toolbars and toolbar buttons ----
# The form at 60,60: "File" and "Zoom" on the top dock, "Tools" on the left (Select latched, the
# last one disabled), "Options" on the right (Grid latched), "Panels" with captions at the bottom,
# "Colours" floating at 640,320, wrapped by its wrap width with a line for its separator.
"$BUILD/tests/dock_host" --toolbars >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do xdotool search --name "Toolbar host" >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
xdotool mousemove 500 450 click 1
xdotool search --name "Toolbar host" windowfocus 2>/dev/null || true
# The mouse over "New": the flat button shows its border.
xdotool mousemove 84 74
shot toolbars-docked-and-floating
# The arrow part of the combo button opens its menu under the button.
xdotool mousemove 123 74 click 1
shot toolbars-combo-menu
# A click on the button again closes the menu for good.
xdotool click 1
shot toolbars-combo-menu-closed
# The floating toolbar's right edge dragged left: the outline snaps to three buttons a line.
xdotool mousemove 773 370 mousedown 1
for x in 760 740 720 700; do xdotool mousemove "$x" 370; sleep 0.05; done
shot toolbars-resize-snapping
xdotool mouseup 1
shot toolbars-floating-rewrapped
# "Zoom" taken by its handle to the right dock: it lies vertically, its separator a line across.
xdotool mousemove 226 74 mousedown 1
for p in "300 200" "600 300" "900 300" "946 300"; do xdotool mousemove $p; sleep 0.08; done
xdotool mouseup 1
# "File" taken by its separator floats.
xdotool mousemove 155 74 mousedown 1
for p in "200 150" "300 250" "350 300"; do xdotool mousemove $p; sleep 0.08; done
xdotool mouseup 1
shot toolbars-redocked-and-dragged-by-separator

# ---- Painted menus and angled labels ----
# The toolbar host goes; the same X server serves the rest.
kill "${PIDS[-1]}" 2>/dev/null || true
wait_for() { for _ in $(seq 100); do xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }

# The program over a photograph (the first one found), the File menu open and its second item under
# the pointer. Its settings go to a private folder.
photo="$(find /usr/share/backgrounds -iname '*.jpg' 2>/dev/null | sort | grep -i nature | head -n1 || true)"
[ -n "$photo" ] || photo="$(find /usr/share/backgrounds -iname '*.jpg' 2>/dev/null | sort | head -n1 || true)"
# Starts the program on the photograph with its settings in the folder $home, waits SETTLE seconds
# after its window shows and leaves the window's place in X and Y.
start_program() {
  HOME="$home" XDG_CONFIG_HOME="$home/.config" "$BUILD/src/app/quillmark" "$photo" >/dev/null 2>&1 &
  PIDS+=($!)
  wait_for "Quillmark" && sleep "$1"
  eval "$(xdotool search --onlyvisible --name "^Quillmark" getwindowgeometry --shell 2>/dev/null | head -n5)"
}
if [ -n "$photo" ]; then
  home="$(mktemp -d)"
  start_program 2
  # The menu bar's first item ("File") is at the window's top left; the second menu item 2 rows down.
  xdotool mousemove $((X + 12)) $((Y + 9)) click 1
  sleep 0.5
  xdotool mousemove $((X + 40)) $((Y + 50))
  sleep 0.2
  xdotool mousemove $((X + 42)) $((Y + 52))
  shot menus-file-open-over-photo
  xdotool key Escape
  # Edit > Resize (Shift+S) on the photograph: the resize dialog with its history below.
  xdotool search --onlyvisible --name "^Quillmark" windowfocus 2>/dev/null || true
  xdotool key shift+s
  wait_for "Resize/Resample Image" && shot resize-dialog
  xdotool key Escape
  kill "${PIDS[-1]}" 2>/dev/null || true
  rm -rf "$home"
else
  echo "no photograph under /usr/share/backgrounds: the program's menu is not shot" >&2
fi

# The program's eleven toolbars on their four docks, the "Window" toolbar floating and wrapped into
# lines (its place stored as a previous run leaves it), latched buttons highlighted on "Options".
if [ -n "$photo" ]; then
  home="$(mktemp -d)"
  mkdir -p "$home/.config/Tarnwick"
  cat >"$home/.config/Tarnwick/QMK.conf" <<'CONF'
[Toolbars]
WindowToolbar\Rev=3
WindowToolbar\Visible=1
WindowToolbar\DockedTo=+
WindowToolbar\LastDock=TopDockBar
WindowToolbar\FloatLeft=760
WindowToolbar\FloatTop=300
WindowToolbar\FloatRightX=75
CONF
  start_program 3
  # A floating toolbar shows while the program is active: a click on the image area makes it so.
  xdotool mousemove $((X + 600)) $((Y + 260)) click 1
  sleep 1
  shot toolbars-main-window-docks-and-floating
  kill "${PIDS[-1]}" 2>/dev/null || true
  wait "${PIDS[-1]}" 2>/dev/null || true
  rm -rf "$home"
fi

# A popup with the flat frame and its shadow in the small host (it opens "Edit" by itself).
"$BUILD/tests/menu_host" flat >/dev/null 2>&1 &
PIDS+=($!)
wait_for "Menu host" && sleep 1.5
shot menus-flat-popup
kill "${PIDS[-1]}" 2>/dev/null || true

# The angled labels: turned by 90, 45, 180 and 270 degrees, normal, lowered, raised and disabled.
"$BUILD/tests/menu_host" labels >/dev/null 2>&1 &
PIDS+=($!)
wait_for "Menu host" && sleep 1
shot angle-labels

# ---- Picture dialogs on a folder of photographs (mate-backgrounds), a file selected ----
kill "${PIDS[-1]}" 2>/dev/null || true
PHOTOS=/usr/share/backgrounds/mate/nature
if [ -d "$PHOTOS" ]; then
  for mode in open save; do
    "$BUILD/tests/picture_dialog_host" "$mode" "$PHOTOS" LadyBird.jpg 12 "$PHOTOS" /usr/share/backgrounds/mate/abstract \
      >/dev/null 2>&1 &
    PIDS+=($!)
    sleep 3
    shot "picture-$mode-dialog"
    kill "${PIDS[-1]}" 2>/dev/null || true
  done
else
  echo "no $PHOTOS: the picture dialogs are not shot" >&2
fi
