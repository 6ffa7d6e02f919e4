#!/usr/bin/env bash
# make bench: payload build time and native extraction speed of the installer's payload, the
# database merge benchmark when it is built, and our installer against an NSIS installer of the
# same tree under Wine. Figures, not pass/fail: targets are printed beside them. Run after
# `make installer` (the Makefile does).
#   bench/run.sh [ROUNDS]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
HOST=${TVEX_BENCH_HOST:-$ROOT/build/host}  # another native tree, for trying the script out
WIN=${TVEX_BENCH_WIN:-$ROOT/build/win}     # and another Windows tree
ROUNDS=${1:-5}
EXTRACT=$HOST/tvex-extract
GENDIR=$HOST/tools/tvex_extract/tvex-extract_payload.payload

payload=$(head -n 1 "$HOST/payload-root" 2>/dev/null || true)
if [ -z "$payload" ] || [ ! -d "$payload" ] || [ ! -x "$EXTRACT" ]; then
  echo "bench: build the installer first (make installer)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tvex-bench.XXXXXX")

# The installed trees go on a fresh ext4 file system of their own (a loop-mounted image) when
# this user may mount one: ext4 passes over inodes freed in the last minutes when it allocates
# new ones, so on a disk where thousands of files were just deleted (an earlier bench, a build)
# every run pays for that search, several times the run itself, and the figures say more about
# the disk's history than about the installers. Elsewhere they go to the work folder, and every
# run still writes into a folder of its own with nothing deleted until the end.
trees=$work/trees
image=$work/trees.img
mounted=
if [ "$(id -u)" -eq 0 ] && truncate -s 4G "$image" 2>/dev/null && mkfs.ext4 -q -F "$image" 2>/dev/null &&
  mkdir -p "$trees" && mount -o loop "$image" "$trees" 2>/dev/null; then
  mounted=yes
else
  rm -f "$image"
  mkdir -p "$trees"
fi
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && rm -f "$WINEPREFIX/drive_c/bench"
  [ -n "$mounted" ] && umount "$trees" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s%N; }
# Seconds with two decimals from a nanosecond count.
secs() { awk -v n="$1" 'BEGIN { printf "%.2f", n / 1e9 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : sprintf("%.0f", (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
build() { cmake --build "$HOST" --target tvex-extract -j 2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }; }

echo "== Payload of $payload"
"$HOST/payloadgen" --report "$payload" "$work/report"

# (a) Payload build. Touched: every file's time changes, bytes do not, so payloadgen reads every
# file to compare its bytes with the last build's but packs nothing, and nothing recompiles. Regenerated: the generated sources
# are gone, so it is payloadgen, the compile of the table, the assembly of the blob and the link.
build
find "$payload" -type f -exec touch {} +
t0=$(now); build; touched=$(( $(now) - t0 ))
find "$payload" -type f -exec touch {} +
rm -f "$GENDIR"/payload.bin "$GENDIR"/payload.s "$GENDIR"/payload_table.cpp "$GENDIR"/payload.stamp
t0=$(now); build; cold=$(( $(now) - t0 ))

# (b) Native extraction against tar -xzf of the same tree, alternating, into empty folders.
# Wall time is what a user waits; CPU time (user + system, children included) is steadier when
# other work shares the machine.
tar -C "$payload" -czf "$work/tree.tar.gz" .
# Runs a command; appends its wall and CPU times in nanoseconds to the named arrays.
timed() {
  local wall_var=$1 cpu_var=$2
  shift 2
  local TIMEFORMAT='%R %U %S' out
  out=$( { time "$@" >/dev/null 2>"$work/err" ; } 2>&1 ) || { cat "$work/err"; exit 1; }
  read -r r u s <<<"$out"
  eval "$wall_var+=($(awk -v r="$r" 'BEGIN { printf "%.0f", r * 1e9 }'))"
  eval "$cpu_var+=($(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.0f", (u + s) * 1e9 }'))"
}
ours=(); theirs=(); ours_cpu=(); theirs_cpu=()
for ((i = 0; i < ROUNDS; i++)); do
  mkdir "$trees/a$i" "$trees/b$i"
  sync
  timed ours ours_cpu "$EXTRACT" "$trees/a$i/inst"
  sync
  timed theirs theirs_cpu tar -xzf "$work/tree.tar.gz" -C "$trees/b$i"
  sync
done
med() { printf '%s\n' "$@" | median; }
m_ours=$(med "${ours[@]}"); m_theirs=$(med "${theirs[@]}")
c_ours=$(med "${ours_cpu[@]}"); c_theirs=$(med "${theirs_cpu[@]}")
ratio=$(awk -v a="$m_ours" -v b="$m_theirs" 'BEGIN { printf "%.2f", a / b }')
cpu_ratio=$(awk -v a="$c_ours" -v b="$c_theirs" 'BEGIN { printf "%.2f", b ? a / b : 0 }')
list() { for v in "$@"; do printf '%s ' "$(secs "$v")"; done; }

echo
printf '%-52s %10s  %s\n' "measure" "value" "target"
printf '%-52s %10s  %s\n' "----------------------------------------------------" "----------" "------"
printf '%-52s %9ss  %s\n' "payload build, tree touched (nothing recompiles)" "$(secs "$touched")" ""
printf '%-52s %9ss  %s\n' "payload build, generate + compile + link" "$(secs "$cold")" "< 15 s"
printf '%-52s %9ss  %s\n' "tvex-extract into an empty folder, median of $ROUNDS" "$(secs "$m_ours")" ""
printf '%-52s %9ss  %s\n' "tar -xzf into an empty folder, median of $ROUNDS" "$(secs "$m_theirs")" ""
printf '%-52s %10s  %s\n' "ratio tvex-extract / tar (wall)" "$ratio" "<= 0.7"
printf '%-52s %10s  %s\n' "ratio tvex-extract / tar (CPU: user + system)" "$cpu_ratio" ""
echo "rounds, wall (s): tvex-extract $(list "${ours[@]}")| tar $(list "${theirs[@]}")"
echo "rounds, CPU (s):  tvex-extract $(list "${ours_cpu[@]}")| tar $(list "${theirs_cpu[@]}")"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; trees on ${mounted:+a fresh ext4 file system, }$trees"

if [ -x "$HOST/merge_bench" ]; then
  echo
  echo "== merge_bench"
  "$HOST/merge_bench"
fi

# (d) Side by side under Wine, in a prefix of the bench's own: our installer taken through
# Install Now by tvex-demo.exe (from the click to the success message), against an NSIS
# installer of the same tree (zlib) run silently, alternating ours, NSIS, ours, NSIS. Third in
# each round, the extraction engine alone (tvex-extract.exe, no dialog), to tell the engine's
# share from the dialog's. Each run writes into a new directory and the disk is synced before
# it; the trees are removed only after the last round (see the note on ext4 above).
echo
echo "== Side by side under Wine: our installer against NSIS, $ROUNDS rounds"
if ! command -v makensis >/dev/null || [ ! -f "$WIN/tvexsetup.exe" ]; then
  echo "bench: needs makensis (Debian nsis) and $WIN/tvexsetup.exe; skipped"
  exit 0
fi
cmake --build "$WIN" --target tvex-demo tvex-extract -j 2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
BENCH=$ROOT/build/bench
mkdir -p "$BENCH"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPREFIX=$BENCH/wine
nsi=$ROOT/bench/nsis/tvexsetup.nsi
nsis_exe=$BENCH/tvexsetup-nsis.exe
"$ROOT/bench/nsis/make_nsi.sh" "$payload" "$nsi" "$nsis_exe" 'C:\nsis-ms.txt'
t0=$(now)
makensis -V1 "$nsi" >"$work/nsis.log" 2>&1 || { cat "$work/nsis.log"; exit 1; }
nsis_build=$(( $(now) - t0 ))
drive() { "$ROOT/scripts/wine-run" "$WIN/tvex-demo.exe" "$@" | grep -v '^tvex-extract: '; }
# C:\bench is the trees' folder, so the Wine runs land on the same fresh file system.
drive_root=$WINEPREFIX/drive_c/bench
mkdir -p "$trees/wine" "$WINEPREFIX/drive_c"
rm -rf "$drive_root"
ln -s "$trees/wine" "$drive_root"
for ((i = 1; i <= ROUNDS; i++)); do
  line="round $i"
  sync
  line+=" $(drive time-ours "$(winpath "$WIN/tvexsetup.exe")" "C:\\bench\\ours$i")" || exit 1
  sync
  line+=" $(drive time-nsis "$(winpath "$nsis_exe")" 'C:\nsis-ms.txt' "C:\\bench\\nsis$i")" || exit 1
  sync
  line+=" $(drive time-engine "$(winpath "$WIN/tvex-extract.exe")" "C:\\bench\\engine$i")" || exit 1
  echo "  $line"
  echo "$line" >>"$work/side.txt"
done
col() { awk -v k="$1" '$1 == "round" { for (i = 1; i < NF; i++) if ($i == k) print $(i + 1) }' "$work/side.txt"; }
mapfile -t ours_ms < <(col ours_ms)
mapfile -t nsis_ms < <(col nsis_section_ms)
mapfile -t nsis_run < <(col nsis_run_ms)
mapfile -t engine < <(col engine_ms)
[ ${#ours_ms[@]} -eq "$ROUNDS" ] || { echo "bench: the side-by-side run failed"; exit 1; }
m_o=$(med "${ours_ms[@]}"); m_n=$(med "${nsis_ms[@]}"); m_r=$(med "${nsis_run[@]}"); m_e=$(med "${engine[@]}")
ms() { awk -v n="$1" 'BEGIN { printf "%.2f", n / 1000 }'; }
div() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b ? a / b : 0 }'; }
ours_size=$(stat -c %s "$WIN/tvexsetup.exe"); nsis_size=$(stat -c %s "$nsis_exe")
echo
printf '%-52s %10s  %s\n' "measure" "value" "target"
printf '%-52s %10s  %s\n' "----------------------------------------------------" "----------" "------"
printf '%-52s %9ss  %s\n' "ours: Install Now to success message, median" "$(ms "$m_o")" ""
printf '%-52s %9ss  %s\n' "NSIS: install section (GetTickCount), median" "$(ms "$m_n")" ""
printf '%-52s %9ss  %s\n' "NSIS: whole silent run, process start to end, median" "$(ms "$m_r")" ""
printf '%-52s %10s  %s\n' "ratio ours / NSIS section" "$(div "$m_o" "$m_n")" "<= 0.7 (0.5)"
printf '%-52s %10s  %s\n' "ratio ours / NSIS whole run" "$(div "$m_o" "$m_r")" ""
printf '%-52s %9ss  %s\n' "ours: engine alone (tvex-extract.exe run), median" "$(ms "$m_e")" ""
printf '%-52s %10s  %s\n' "installer size, ours (bytes)" "$ours_size" ""
printf '%-52s %10s  %s\n' "installer size, NSIS zlib (bytes)" "$nsis_size" ""
printf '%-52s %10s  %s\n' "ratio of sizes ours / NSIS" "$(div "$ours_size" "$nsis_size")" ""
printf '%-52s %9ss  %s\n' "makensis of the same tree" "$(secs "$nsis_build")" ""
echo "rounds (s): ours $(for v in "${ours_ms[@]}"; do printf '%s ' "$(ms "$v")"; done)| NSIS section $(for v in "${nsis_ms[@]}"; do printf '%s ' "$(ms "$v")"; done)| NSIS run $(for v in "${nsis_run[@]}"; do printf '%s ' "$(ms "$v")"; done)| engine $(for v in "${engine[@]}"; do printf '%s ' "$(ms "$v")"; done)"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; NSIS script: $nsi"

# (f) Updates under Wine: today's engine against the engine before all-or-nothing (built from
# BASELINE, a commit of this repository, into build/bench/baseline once), alternating, each an
# update of a tree its own engine installed just before (that fresh installation is timed
# too). First over the same payload
# (every file already holds its bytes), then over a tree where every file differs (a byte
# appended to each), where every file is set aside and written anew. Then what an undo costs:
# a run whose last entry cannot be written (a folder stands at its name) undoes everything it
# did, after a fresh run and after an update over a changed tree; tvex-extract --times prints
# each phase, the undo among them, and the plan (folders listed, files compared, the test for
# files in use).
echo
BASELINE=${TVEX_BENCH_BASELINE:-76a50ed}
echo "== Updates under Wine: this engine against $BASELINE's, $ROUNDS rounds"
base_src=$BENCH/baseline/src base_win=$BENCH/baseline/win
if [ ! -f "$base_win/tvex-extract.exe" ] || [ "$(cat "$BENCH/baseline/commit" 2>/dev/null)" != "$BASELINE" ]; then
  rm -rf "$BENCH/baseline"
  mkdir -p "$base_src" "$base_win"
  git -C "$ROOT" archive "$BASELINE" | tar -x -C "$base_src"
  printf '%s\n' "$payload" >"$base_win/payload-root"
  gen=; command -v ninja >/dev/null && gen="-G Ninja"
  cmake -S "$base_src" -B "$base_win" $gen -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$base_src/cmake/mingw-w64-x86_64.cmake" -DTVEX_HOST_BIN="$HOST" \
    >"$work/base.log" 2>&1 && cmake --build "$base_win" --target tvex-extract -j 2 >>"$work/base.log" 2>&1 ||
    { cat "$work/base.log"; exit 1; }
  echo "$BASELINE" >"$BENCH/baseline/commit"
fi
old_exe=$(winpath "$base_win/tvex-extract.exe") new_exe=$(winpath "$WIN/tvex-extract.exe")
wine_ms() {  # wine_ms ARGS...: runs tvex-extract under Wine, prints the wall time in ms
  local t0 rc=0
  sync
  t0=$(now)
  "$ROOT/scripts/wine-run" "$@" >"$work/run.out" 2>&1 || rc=$?
  echo $(( ($(now) - t0) / 1000000 ))
  return $rc
}
# A byte appended to every file of a tree, natively.
change_all() { find "$1" -type f -exec sh -c 'for f; do printf x >>"$f"; done' sh {} +; }
phase() { grep -o "$1 [0-9.]*" "$work/run.out" | awk '{ printf "%d", $2 * 1000 }'; }
upd_old=(); upd_new=(); chg_old=(); chg_new=(); plan_same=(); plan_chg=(); new_old=(); new_new=()
for ((i = 1; i <= ROUNDS; i++)); do
  for v in old new; do
    exe=$old_exe; [ $v = new ] && exe=$new_exe
    ms=$(wine_ms "$exe" "C:\\bench\\upd-$v$i")
    if [ $v = old ]; then new_old+=("$ms"); else new_new+=("$ms"); fi
    ms=$(wine_ms "$exe" --update $([ $v = new ] && echo --times) "C:\\bench\\upd-$v$i")
    if [ $v = old ]; then upd_old+=("$ms"); else upd_new+=("$ms"); plan_same+=("$(phase plan)"); fi
    change_all "$trees/wine/upd-$v$i"
    ms=$(wine_ms "$exe" --update $([ $v = new ] && echo --times) "C:\\bench\\upd-$v$i")
    if [ $v = old ]; then chg_old+=("$ms"); else chg_new+=("$ms"); plan_chg+=("$(phase plan)"); fi
  done
done
# The undo of a whole run: the last entry in table order is blocked by a folder.
# (the table's order: names compared byte by byte with backslashes, letters folded to lower case)
last=$(cd "$payload" && find . -type f | sed 's|^\./||; s|/|\\|g' |
  awk '{ print tolower($0) "\t" $0 }' | LC_ALL=C sort | tail -n 1 | cut -f2 | sed 's|\\|/|g')
undo_fresh=(); undo_upd=()
for ((i = 1; i <= ROUNDS; i++)); do
  mkdir -p "$trees/wine/undo-f$i/$last"
  wine_ms "$new_exe" --times "C:\\bench\\undo-f$i" >/dev/null && { echo "bench: the blocked run succeeded"; exit 1; }
  undo_fresh+=("$(phase undo)")
  wine_ms "$new_exe" "C:\\bench\\undo-u$i" >/dev/null
  change_all "$trees/wine/undo-u$i"
  rm -f "$trees/wine/undo-u$i/$last"
  mkdir -p "$trees/wine/undo-u$i/$last"
  wine_ms "$new_exe" --update --times "C:\\bench\\undo-u$i" >/dev/null && { echo "bench: the blocked update succeeded"; exit 1; }
  undo_upd+=("$(phase undo)")
done
m_fo=$(med "${new_old[@]}"); m_fn=$(med "${new_new[@]}")
m_uo=$(med "${upd_old[@]}"); m_un=$(med "${upd_new[@]}"); m_co=$(med "${chg_old[@]}"); m_cn=$(med "${chg_new[@]}")
printf '%-52s %10s  %s\n' "measure" "value" "target"
printf '%-52s %10s  %s\n' "----------------------------------------------------" "----------" "------"
printf '%-52s %9ss  %s\n' "fresh installation: $BASELINE's engine, median" "$(ms "$m_fo")" ""
printf '%-52s %9ss  %s\n' "fresh installation: this engine, median" "$(ms "$m_fn")" ""
printf '%-52s %10s  %s\n' "ratio this / $BASELINE's (fresh)" "$(div "$m_fn" "$m_fo")" "<= 1.05"
printf '%-52s %9ss  %s\n' "update, same payload: $BASELINE's engine, median" "$(ms "$m_uo")" ""
printf '%-52s %9ss  %s\n' "update, same payload: this engine, median" "$(ms "$m_un")" ""
printf '%-52s %10s  %s\n' "ratio this / $BASELINE's (same payload)" "$(div "$m_un" "$m_uo")" "<= 1.3"
printf '%-52s %9ss  %s\n' "update, every file changed: $BASELINE's, median" "$(ms "$m_co")" ""
printf '%-52s %9ss  %s\n' "update, every file changed: this engine, median" "$(ms "$m_cn")" ""
printf '%-52s %10s  %s\n' "ratio this / $BASELINE's (every file changed)" "$(div "$m_cn" "$m_co")" ""
printf '%-52s %9ss  %s\n' "plan (files compared, in-use test), same payload" "$(ms "$(med "${plan_same[@]}")")" ""
printf '%-52s %9ss  %s\n' "plan (in-use test of every file), all changed" "$(ms "$(med "${plan_chg[@]}")")" ""
printf '%-52s %9ss  %s\n' "undo of a whole fresh installation, median" "$(ms "$(med "${undo_fresh[@]}")")" ""
printf '%-52s %9ss  %s\n' "undo of a whole update (every file), median" "$(ms "$(med "${undo_upd[@]}")")" ""
echo "rounds (ms): fresh old ${new_old[*]} | fresh new ${new_new[*]} | same old ${upd_old[*]} | same new ${upd_new[*]} | changed old ${chg_old[*]} | changed new ${chg_new[*]} | undo fresh ${undo_fresh[*]} | undo update ${undo_upd[*]}"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

# (e) System calls under Wine, one traced run each (strace -f follows the program, the driver
# and the Wine server, which is started afresh under the trace so that the opens it makes on
# the program's behalf count too). Counted: every openat, and those of a path inside the
# install directory; divided by the number of files installed.
echo
echo "== System calls under Wine (strace -f), one run each"
if ! command -v strace >/dev/null; then
  echo "bench: needs strace; skipped"
  exit 0
fi
files=$(find "$payload" -type f | wc -l)
traced() {  # traced NAME INSTALL-DIR-UNDER-drive_c COMMAND...
  local name=$1 dir=$2
  shift 2
  "${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
  "${WINESERVER:-/usr/lib/wine/wineserver}" -w 2>/dev/null || true
  sync
  strace -f -qq -o "$work/$name.trace" -e trace=openat,newfstatat,readlink,getdents64,unlink,rename \
    "$@" >/dev/null 2>&1 || true
  local opens inside stats links dents
  opens=$(grep -c ' openat(' "$work/$name.trace" || true)
  inside=$(grep ' openat(' "$work/$name.trace" | grep -c "drive_c/$dir/\|c:/$dir/" || true)
  stats=$(grep -c ' newfstatat(' "$work/$name.trace" || true)
  links=$(grep -c ' readlink(' "$work/$name.trace" || true)
  dents=$(grep -c ' getdents64(' "$work/$name.trace" || true)
  printf '%-8s %9s %9s %8s %9s %9s %9s\n' "$name" "$opens" "$inside" \
    "$(div "$inside" "$files")" "$stats" "$links" "$dents"
}
printf '%-8s %9s %9s %8s %9s %9s %9s\n' "" "openat" "in tree" "per file" "stat" "readlink" "getdents"
traced ours bench/strace-ours "$ROOT/scripts/wine-run" "$WIN/tvex-demo.exe" time-ours \
  "$(winpath "$WIN/tvexsetup.exe")" 'C:\bench\strace-ours'
traced NSIS bench/strace-nsis "$ROOT/scripts/wine-run" "$WIN/tvex-demo.exe" time-nsis \
  "$(winpath "$nsis_exe")" 'C:\nsis-ms.txt' 'C:\bench\strace-nsis'
echo "($files files; 'in tree' counts the opens of paths inside the install directory, by any process)"
