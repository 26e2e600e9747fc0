#!/usr/bin/env bash
# The .deb as a user gets it: built by CPack from this build tree, free of lintian errors,
# installed with dpkg (into the machine when run as root and KELM is not installed there
# already, else unpacked into a temporary root), its files where the desktop entry, the MIME
# type and the help lookup expect them, kelm-export run on the installed example, a geom.cod
# opened through the desktop's own lookup, and purged again when it was installed.
set -uo pipefail
build=$1
source_dir=$2

work=$(mktemp -d)
installed=0
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ "$installed" -eq 1 ]; then
    dpkg --purge kelm >/dev/null || echo "FAIL: dpkg --purge kelm" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
die() { echo "FAIL: $*" >&2; exit 1; }

for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli gio update-mime-database \
            update-desktop-database man; do
  command -v "$tool" >/dev/null || die "$tool is missing (./kelm.sh test installs what the tests need)"
done

# --- the package itself
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
  || die "cpack failed: $(tail -n 20 "$work/cpack.log")"
deb=$(ls "$work"/cpack/kelm_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || die "cpack made no kelm_*.deb"
version=$(dpkg-deb -f "$deb" Version)
grep -q 'libqt6widgets6' <<<"$(dpkg-deb -f "$deb" Depends)" \
  || fail "Depends lacks the Qt libraries that dpkg-shlibdeps finds: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(grep -E '^E:' "$work/lintian.log")"

# --- installed into the machine, or unpacked
if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W -f='${Status}' kelm 2>/dev/null | grep -q "ok installed"; then
  for _ in $(seq 30); do  # another dpkg or apt may hold the lock for a while
    dpkg -i "$deb" >"$work/dpkg.log" 2>&1 && { installed=1; break; }
    grep -qi lock "$work/dpkg.log" || break
    sleep 2
  done
  [ "$installed" -eq 1 ] || { dpkg --purge kelm >/dev/null 2>&1; die "dpkg -i: $(tail -n 10 "$work/dpkg.log")"; }
  root=""
else
  dpkg -x "$deb" "$work/root" || die "dpkg -x failed"
  root=$work/root
  # What the triggers of shared-mime-info and desktop-file-utils do on a real installation.
  update-mime-database "$root/usr/share/mime" >/dev/null 2>&1
  update-desktop-database "$root/usr/share/applications" >/dev/null 2>&1
fi
share=$root/usr/share

# --- the desktop entry and what it names
id=org.example.kelm
entry=$share/applications/$id.desktop
[ -f "$entry" ] || die "no desktop entry $entry"
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
# KELM has no web page to name: AppStream 1.0 (Debian 13) warns of that, 0.16 has no such check.
as_options=(--no-net)
appstreamcli --version | grep -q "version: 0\." || as_options+=(--override=url-homepage-missing=info)
appstreamcli validate "${as_options[@]}" "$share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 \
  || fail "appstreamcli validate: $(cat "$work/as.log")"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo file does not launch $id.desktop"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$root/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not an executable in /usr/bin"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
png=$share/icons/hicolor/48x48/apps/$icon.png
[ "$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | tr -s ' ')" = " 0 0 0 48 0 0 0 48" ] \
  || fail "$png is not a 48 x 48 PNG"
mime_type=$(sed -n 's/^MimeType=\([^;]*\);.*/\1/p' "$entry")
grep -q ":$mime_type:geom.cod$" "$share/mime/globs2" 2>/dev/null \
  || fail "the MIME database does not map geom.cod to $mime_type"
grep -q "^$mime_type=.*$id.desktop" "$share/applications/mimeinfo.cache" 2>/dev/null \
  || fail "the desktop database does not offer $id.desktop for $mime_type"

# --- the program, its help file and its examples
program=$root/usr/bin/kelm
real_program=$(readlink -f "$program")
[ "$real_program" = "$root/usr/lib/kelm/kelm" ] || fail "/usr/bin/kelm leads to $real_program"
[ "$(env -u DISPLAY "$program" --version)" = "kelm $version" ] \
  || fail "installed kelm --version says '$(env -u DISPLAY "$program" --version 2>&1)', the package is $version"
help_file=$(env -u DISPLAY "$program" --help | sed -n 's/^Help file: //p')
[ "$help_file" = "$root/usr/lib/kelm/KELM.HLP" ] || fail "installed kelm looks for its help in '$help_file'"
cmp -s "$help_file" "$source_dir/help/KELM.HLP" || fail "the installed KELM.HLP differs from help/KELM.HLP"

# kelm-export on the installed example: the four views at the default screen size, and not a
# byte written into the example.
exporter=$root/usr/bin/kelm-export
[ "$(env -u DISPLAY "$exporter" --version)" = "kelm-export $version" ] || fail "installed kelm-export --version"
if env -u DISPLAY "$exporter" --png "$work/png" "$share/kelm/examples/simple" 2>"$work/export.err"; then
  for view in beam cathode magnetic-field phase-plane; do
    [ "$(head -c 8 "$work/png/$view.png" 2>/dev/null | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ] \
      || fail "kelm-export made no $view.png"
  done
  [ "$(od -An -tu1 -j16 -N8 "$work/png/beam.png" | tr -s ' ')" = " 0 0 7 120 0 0 2 2" ] \
    || fail "beam.png is not 1912 x 514 pixels, the view of a 1920 x 1080 screen"
else
  fail "installed kelm-export --png failed: $(cat "$work/export.err")"
fi
diff -r "$source_dir/examples" "$share/kelm/examples" >/dev/null || fail "the installed examples differ"

# kelm-solve: its version, and a copy of the installed example solved.
solver=$root/usr/bin/kelm-solve
[ "$(env -u DISPLAY "$solver" --version)" = "kelm-solve $version" ] || fail "installed kelm-solve --version"
cp -r "$share/kelm/examples/simple" "$work/solved"
env -u DISPLAY "$solver" "$work/solved" >"$work/solve.out" 2>"$work/solve.err" \
  || fail "installed kelm-solve failed: $(cat "$work/solve.out" "$work/solve.err")"
# kelm-scan: its version, and the installed example scan solved by the installed programs.
scanner=$root/usr/bin/kelm-scan
[ "$(env -u DISPLAY "$scanner" --version)" = "kelm-scan $version" ] || fail "installed kelm-scan --version"
env -u DISPLAY "$scanner" --jobs 2 "$share/kelm/examples/scan/template" "$share/kelm/examples/scan/sweep.csv" \
  "$work/scan" >"$work/scan.out" 2>&1 || fail "installed kelm-scan failed: $(cat "$work/scan.out")"
[ "$(env -u DISPLAY "$root/usr/bin/kelm-optimize" --version)" = "kelm-optimize $version" ] \
  || fail "installed kelm-optimize --version"
for page in kelm.1 kelm-export.1 kelm-solve.1 kelm-scan.1 kelm-optimize.1 kelm-geom.cod.5 kelm-optimize.5; do
  man_page=$share/man/man${page##*.}/$page.gz
  [ -z "$(MANWIDTH=80 man --warnings -l "$man_page" 2>&1 >/dev/null)" ] || fail "man $page warns"
  [ -z "$root" ] && { [ "$(man -w "${page##*.}" "${page%.*}")" = "$man_page" ] || fail "man -w $page finds '$(man -w "${page##*.}" "${page%.*}")'"; }
done

# --- a geom.cod opened as a file manager opens it: GIO finds the type and the default
# program, and launches the desktop entry's command line.
mkdir -p "$work/home" "$work/projects/gun 1"
cp "$share/kelm/examples/simple/"* "$work/projects/gun 1/"
open_log=$work/open.log
(
  export PATH=$root/usr/bin:$PATH XDG_DATA_DIRS=$share:/usr/share XDG_DATA_HOME=$work/home \
         XDG_CONFIG_HOME=$work/home XDG_CONFIG_DIRS=$work/home KELM_LOG=$open_log QT_QPA_PLATFORM=offscreen
  type=$(gio info -a standard::content-type "$work/projects/gun 1/geom.cod" 2>&1)
  grep -q "content-type: $mime_type$" <<<"$type" || echo "GIO does not see a geom.cod as $mime_type: $type"
  default=$(gio mime "$mime_type" 2>&1)
  grep -q "^Default application .*: $id.desktop$" <<<"$default" || echo "$id.desktop is not the default: $default"
  cd "$work/home" && gio open "$work/projects/gun 1/geom.cod" >/dev/null 2>&1 || echo "gio open failed"
) >"$work/gio.fail"
[ -s "$work/gio.fail" ] && fail "$(cat "$work/gio.fail")"
for _ in $(seq 100); do
  grep -q "File KLPLT.RES loaded" "$open_log" 2>/dev/null && break
  sleep 0.1
done
# gio leaves the program running on its own; it is ours, known by its unique log path.
for environ in /proc/[0-9]*/environ; do
  if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qxF "KELM_LOG=$open_log"; then
    pid=${environ#/proc/}; pids+=("${pid%/environ}")
  fi
done
grep -qxF " Loading project from $work/projects/gun 1" "$open_log" 2>/dev/null \
  || fail "opening geom.cod did not load its project: $(cat "$open_log" 2>/dev/null)"
grep -qF "File KLPLT.RES loaded" "$open_log" 2>/dev/null || fail "the opened project was not read"

[ "$failures" -eq 0 ] || exit 1
echo "package $version: all checks passed ($([ "$installed" -eq 1 ] && echo installed with dpkg || echo unpacked))"
