#!/usr/bin/env bash
# make demo: installs what is missing, builds the installer from the sample tree and runs it.
# With a display, the installer opens for the person at the screen. Without one, tvex-demo.exe
# drives it as a user would and tells each step: a fresh installation, the user's own additions
# to two databases, an update installation that must keep them, and the registered uninstall
# command. Screenshots are taken under Xvfb with Wine's X11 driver when Xvfb and ImageMagick
# are there. Everything goes to build/demo (its own Wine prefix: the tests' are untouched).
#
# For trying the script out on other trees: TVEX_DEMO_HOST, TVEX_DEMO_WIN (build trees that
# already hold the installer) skip the build; TVEX_DEMO_DIR replaces build/demo.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
started=$(date +%s)
HOST=${TVEX_DEMO_HOST:-$ROOT/build/host}
WIN=${TVEX_DEMO_WIN:-$ROOT/build/win}
DEMO=${TVEX_DEMO_DIR:-$ROOT/build/demo}
export WINEPREFIX=$DEMO/wine
SHOTS=$DEMO/shots
LOADER=/usr/lib/wine/wine64
SERVER=/usr/lib/wine/wineserver
# Xvfb's screen and Wine's desktop in it, in pixels.
SCREEN=800x600

# Wine's X11 driver loads these by name; fonts-wine draws the dialogs' text.
X11_PACKAGES=(xvfb imagemagick libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3
              libxinerama1 libxcomposite1 libxxf86vm1 fonts-wine)

step() { printf '\n== %s\n' "$*"; }
# Windows path of a host path (Wine maps the host's root to Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# Runs the driver; its RESULT line goes to the named file instead of the screen.
drive() {
  local result=$1
  shift
  set -o pipefail
  "$ROOT/scripts/wine-run" "$WIN/tvex-demo.exe" "$@" | tee "$DEMO/driver.out" | grep -v '^RESULT '
  grep '^RESULT ' "$DEMO/driver.out" >"$result" || true
}
field() { sed -n "s/.*$2=\([^ ]*\).*/\1/p" "$1"; }

step "Packages"
scripts/deps.sh ninja-build "${X11_PACKAGES[@]}"

step "Building the installer from the sample tree (make installer)"
mkdir -p "$DEMO"
if [ -z "${TVEX_DEMO_WIN:-}" ]; then
  echo "   (the first build on a new machine takes several minutes; the log is $DEMO/build.log)"
  make --no-print-directory installer >"$DEMO/build.log" 2>&1 || { tail -40 "$DEMO/build.log"; exit 1; }
  tail -3 "$DEMO/build.log"
fi
cmake --build "$WIN" --target tvex-demo >>"$DEMO/build.log" 2>&1 || { tail -40 "$DEMO/build.log"; exit 1; }
INSTALLER=$WIN/tvexsetup.exe
[ -f "$INSTALLER" ] || { echo "demo: no $INSTALLER"; exit 1; }
payload=$(head -n 1 "$WIN/payload-root")
echo "   installer: $INSTALLER ($(stat -c %s "$INSTALLER") bytes)"
echo "   carrying:  $payload ($(find "$payload" -type f | wc -l) files, $(find "$payload" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }') bytes)"

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX=$DEMO/wine-desktop
  step "Starting the installer on your display ($DISPLAY)"
  echo "   Wine prefix: $WINEPREFIX (drive C: is $WINEPREFIX/drive_c)"
  "$ROOT/scripts/wine-run" "$INSTALLER" || true
  "$SERVER" -w
  echo "   The default directory C:\\Program Files\\QMK\\TvexIII is $WINEPREFIX/drive_c/Program Files/QMK/TvexIII"
  echo "   The uninstall entry is in $WINEPREFIX/system.reg; the shortcuts in $WINEPREFIX/drive_c/users/$(id -un)"
  exit 0
fi

# Headless: an X server of our own for the screenshots when the tools are there.
xvfb_pid=
shooter_pid=
cleanup() {
  [ -n "$shooter_pid" ] && kill "$shooter_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && { WINEPREFIX=$DEMO/wine "$SERVER" -k 2>/dev/null; kill "$xvfb_pid" 2>/dev/null; }
  return 0
}
trap cleanup EXIT
graphics=null
rm -rf "$SHOTS"
if command -v Xvfb >/dev/null && [ -x /usr/bin/import ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${SCREEN}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      graphics=x11
      break
    fi
    xvfb_pid=
  done
fi

step "A Wine prefix of the demo's own: $WINEPREFIX"
"$ROOT/scripts/wine-run" cmd /c exit >/dev/null 2>&1 || true
DIR='C:\Program Files\QMK\TvexIII'
HOSTDIR="$WINEPREFIX/drive_c/Program Files/QMK/TvexIII"

# Sets the prefix's graphics driver (x11 or null) for the Wine session that starts next.
set_graphics() {
  graphics=$1
  if [ "$graphics" = x11 ]; then
    # Wine draws the windows with their frames inside a desktop window of its own; the frame's
    # buttons come from the Marlett font, which Wine does not find outside the prefix.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    [ -f /usr/share/wine/fonts/marlett.ttf ] &&
      cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    "$LOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
    "$LOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$LOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$SCREEN" /f >/dev/null 2>&1
    echo "   graphics: Wine's X11 driver on Xvfb $DISPLAY; screenshots go to $SHOTS"
  else
    "$LOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    "$LOADER" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    echo "   graphics: Wine's null driver (no screenshots)"
  fi
  "$SERVER" -w
}

# Each installation walk-through starts from an empty directory and no entry.
fresh_machine() {
  chmod -R u+w "$WINEPREFIX/drive_c/Program Files/QMK" 2>/dev/null || true
  rm -rf "$WINEPREFIX/drive_c/Program Files/QMK"
  "$LOADER" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tollvex III' /f \
    >/dev/null 2>&1 || true
}

# Takes each screenshot the driver asks for: name.req holds the area, name.png is the answer.
start_shooter() {
  mkdir -p "$SHOTS"
  export TVEX_SHOTS
  TVEX_SHOTS=$(winpath "$SHOTS")
  (
    while :; do
      for req in "$SHOTS"/*.req; do
        [ -e "$req" ] || continue
        name=${req%.req}
        import -display "$DISPLAY" -window root -crop "$(cat "$req")" +repage "$name.tmp.png" \
          2>/dev/null && mv "$name.tmp.png" "$name.png"
        rm -f "$req"
      done
      sleep 0.05
    done
  ) &
  shooter_pid=$!
}

set_graphics "$graphics"
fresh_machine
[ "$graphics" = x11 ] && start_shooter

step "A fresh installation, as a user would do it"
if ! drive "$DEMO/fresh.result" install "$(winpath "$INSTALLER")"; then
  [ "$graphics" = x11 ] || exit 1
  echo "   The installer did not come through under Wine's X11 driver; once more without it."
  cleanup
  xvfb_pid= shooter_pid=
  unset DISPLAY TVEX_SHOTS
  set_graphics null
  fresh_machine
  drive "$DEMO/fresh.result" install "$(winpath "$INSTALLER")"
fi

CMPDB=$HOST/tvex-cmpdb
# Prints the user's record and model; false when either is missing.
show_user_data() {
  local ok=0
  echo "     standard.cap (tvex-cmpdb dump, the user's record):"
  "$CMPDB" dump "$HOSTDIR/lib/cmp/standard.cap" | grep -i 'My Lab' | sed 's/^/       /' || { echo "       (missing)"; ok=1; }
  echo "     standard.bjt (the user's model):"
  grep -a 'MyNPN' "$HOSTDIR/lib/cmp/standard.bjt" | tr -d '\r' | sed 's/^/       /' || { echo "       (missing)"; ok=1; }
  return $ok
}

databases=no
[ -f "$HOSTDIR/lib/cmp/standard.cap" ] && [ -f "$HOSTDIR/lib/cmp/standard.bjt" ] && databases=yes
if [ $databases = yes ]; then
  step "The user adds a capacitor and a model to the installed databases"
  drive /dev/null add-user-data "$DIR"
  echo "   What the databases hold now:"
  show_user_data
fi

step "An update installation over it (the installer asks; the user chooses Update)"
drive "$DEMO/update.result" install "$(winpath "$INSTALLER")" --update
merge_ok=yes
if [ $databases = yes ]; then
  echo "   After the update, the user's additions:"
  show_user_data || merge_ok=no
  keys() { "$CMPDB" dump "$1" | cut -f1,2 | sort -u; }
  shipped=$(keys "$payload/lib/cmp/standard.cap" | wc -l)
  missing=$(comm -23 <(keys "$payload/lib/cmp/standard.cap") <(keys "$HOSTDIR/lib/cmp/standard.cap") | wc -l)
  echo "   The shipped capacitors are merged in: $((shipped - missing)) of the $shipped maker/part numbers shipped are in standard.cap"
  echo "   Backups of the user's databases as they were before the merge:"
  (cd "$HOSTDIR/lib/cmp" && ls -l --time-style=+ -- *.bak | awk '{ printf "     %-16s %8d bytes\n", $NF, $5 }') || merge_ok=no
fi

step "The registered uninstall command"
drive /dev/null uninstall || true

shots=()
if [ -d "$SHOTS" ]; then
  for f in "$SHOTS"/*.png; do [ -e "$f" ] && shots+=("$(basename "$f")"); done
fi
step "Summary"
files=$(field "$DEMO/fresh.result" files)
bytes=$(field "$DEMO/fresh.result" bytes)
echo "   installer:        $INSTALLER, $(stat -c %s "$INSTALLER") bytes"
echo "   installed:        ${files:-?} files, ${bytes:-?} bytes (payload, uninstall.info, launch.log)"
echo "   installation:     $(field "$DEMO/fresh.result" seconds) s fresh, $(field "$DEMO/update.result" seconds) s update (Install Now to the success message)"
echo "   Wine prefix:      $WINEPREFIX"
echo "   C:\\ is            $WINEPREFIX/drive_c"
echo "   installed into:   $HOSTDIR"
echo "   shortcuts:        $WINEPREFIX/drive_c/users/$(id -un)/Desktop and .../AppData/Roaming/Microsoft/Windows/Start Menu"
echo "   registry (HKLM):  $WINEPREFIX/system.reg (the uninstall entry); HKCU: $WINEPREFIX/user.reg"
if [ ${#shots[@]} -gt 0 ]; then
  echo "   screenshots:      $SHOTS: ${shots[*]}"
fi
echo "   the demo took:    $(( $(date +%s) - started )) s"
if [ $merge_ok = no ]; then
  echo "demo: the update lost the user's additions or made no backups"
  exit 1
fi
