#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a user would: the installed
# quonder-cli runs on a small tree and finds its code set table in share/quonder, the desktop
# entry and the metainfo pass their validators, a DESTDIR install stages the same files and its
# manifest lists them all, the desktop entry is offered for folders, the manual pages render
# without warnings, the icon's PNGs were rendered from the current SVG, and every file is where
# it belongs.
# usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR WITH_GUI(0|1)
set -euo pipefail
cmake=$1 build=$2 source=$3 with_gui=$4
app_id=io.github.quonder.Quonder
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$scratch/usr
"$cmake" --install "$build" --prefix "$prefix" > /dev/null

expected=(bin/quonder-cli share/quonder/CharCodeSet.ini share/quonder/readme.txt
          "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
          "share/icons/hicolor/scalable/apps/$app_id.svg"
          share/man/man1/quonder.1 share/man/man1/quonder-cli.1)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
[ "$with_gui" = 1 ] && expected+=(bin/quonder)
for file in "${expected[@]}"; do [ -f "$prefix/$file" ] || fail "not installed: $file"; done
expected_list=$(printf '%s\n' "${expected[@]}" | sort)
# What is installed below `root`, relative to it.
installed_below() { (cd "$1" && find . -type f | sed 's|^\./||' | sort); }
unexpected=$(installed_below "$prefix" | comm -23 - <(echo "$expected_list"))
[ -z "$unexpected" ] || fail "installed but not expected: $unexpected"
for program in quonder quonder-cli; do
  [ -f "$prefix/bin/$program" ] || continue
  [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
  if ldd "$prefix/bin/$program" | grep -q 'not found'; then fail "$program misses a library"; fi
  version=$("$prefix/bin/$program" --version) || fail "$program --version exited $?"
  [[ $version =~ ^$program\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$program --version: $version"
done

# The installed program, from its own folder. A Shift_JIS file searched with the charset that
# the settings file names: found only when the code set table in share/quonder was read (a
# charset missing from the table falls back to utf-8, and the bytes are not that).
cli=$prefix/bin/quonder-cli
mkdir -p "$scratch/tree/sub"
printf '\x95\x5c\x8e\xa6\r\n' > "$scratch/tree/sub/sjis.txt"  # "表示" in Shift_JIS
printf '[FindSetting]\nCoding=shift_jis\nExtBehavior=1\nSubFolder=1\n' > "$scratch/q.ini"
out=$("$cli" find --ini "$scratch/q.ini" 示 "$scratch/tree" 2> /dev/null) ||
  fail "find exited $?"
[ "$out" = "$(printf '1\tsub/sjis.txt\t1\t2\t示\t2')" ] || fail "find printed: $out"
status=0
"$cli" find -q absent "$scratch/tree" || status=$?
[ "$status" = 1 ] || fail "find without a hit exited $status"

# Running the programs wrote nothing into the prefix.
[ "$(installed_below "$prefix")" = "$expected_list" ] || fail "the prefix changed while in use"

# A package build stages the install below DESTDIR: the same files and nothing outside the
# prefix; the staged program finds its data as the installed one does; and removing what the
# install manifest lists takes every file away again (an uninstall leaves nothing behind).
stage=$scratch/stage
DESTDIR=$stage "$cmake" --install "$build" --prefix /usr > /dev/null
[ "$(installed_below "$stage/usr")" = "$expected_list" ] || fail "DESTDIR install differs"
[ -z "$(find "$stage" -mindepth 1 -maxdepth 1 ! -name usr)" ] || fail "staged outside /usr"
out=$("$stage/usr/bin/quonder-cli" find --ini "$scratch/q.ini" 示 "$scratch/tree" 2> /dev/null) ||
  fail "staged find exited $?"
[ "$out" = "$(printf '1\tsub/sjis.txt\t1\t2\t示\t2')" ] || fail "staged find printed: $out"
# (the manifest ends without a line end)
while IFS= read -r file || [ -n "$file" ]; do
  rm -- "$stage$file"
done < "$build/install_manifest.txt"
left=$(installed_below "$stage")
[ -z "$left" ] || fail "not in install_manifest.txt: $left"

desktop-file-validate "$prefix/share/applications/$app_id.desktop" ||
  fail "desktop entry"
# File managers offer the window for folders: the MIME cache the desktop builds from the
# installed entries lists it for inode/directory, and the entry passes one local path (%f),
# never a URI (%u) that would be taken for a settings file, nor several (%F) that the program
# refuses. The menu launches it with no argument, as %f gives none then.
update-desktop-database "$prefix/share/applications"
grep -qx "inode/directory=.*\b$app_id\.desktop;.*" "$prefix/share/applications/mimeinfo.cache" ||
  fail "the desktop entry is not offered for folders"
rm "$prefix/share/applications/mimeinfo.cache"
exec_line=$(grep '^Exec=' "$prefix/share/applications/$app_id.desktop")
[ "$exec_line" = "Exec=quonder %f" ] || fail "desktop entry: $exec_line"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" > "$scratch/as" ||
  { cat "$scratch/as" >&2; fail "metainfo"; }

for page in quonder quonder-cli; do
  file=$prefix/share/man/man1/$page.1
  warnings=$(groff -man -Tutf8 -ww -z "$file" 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  MANWIDTH=80 man -l "$file" 2> /dev/null | grep -q "^NAME" || fail "$page.1 does not render"
done

(cd "$source/data/icons" && sha256sum --quiet -c source.sha256) ||
  fail "the icon's PNGs are older than its SVG: run scripts/make-icons.sh"
echo "install test passed: ${#expected[@]} files in $prefix"
