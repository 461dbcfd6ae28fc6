#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop sees:
# exactly the expected files, a launcher and AppStream data that pass their
# validators, icons of the sizes their folders claim, a manual page with the
# keys and files, and an installed program that finds its translation, starts
# and keeps its settings in the user's config folder.
# Usage: packaging_test.sh BUILD_DIR APP_ID VERSION "ICON_SIZES"
set -euo pipefail
build=$1 id=$2 version=$3 sizes=$4

fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# Only the viewer, its RAW header probe and its desktop files: no test program, sample writer or
# benchmark.
expected=(bin/tetrafot libexec/tetrafot/tetrafot-rawprobe "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
          share/man/man1/tetrafot.1 share/icons/hicolor/scalable/apps/tetrafot.svg)
for size in $sizes; do expected+=("share/icons/hicolor/${size}x$size/apps/tetrafot.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) \
  || fail "installed files differ from the expected list (< expected, > installed)"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in $sizes; do
  png=$prefix/share/icons/hicolor/${size}x$size/apps/tetrafot.png
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
                  awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w $h" = "$size $size" ] || fail "$png is ${w}x$h"
done

desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null \
  || { appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"; fail "appstreamcli rejects the metainfo"; }
# The launcher must start the installed binary with the icon that was installed.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon_name.svg" ] || fail "Icon=$icon_name is not installed"

# The manual page renders with the sections --help feeds it.
page=$(MANWIDTH=100 man -l "$prefix/share/man/man1/tetrafot.1" 2>&1) || fail "man cannot render tetrafot.1"
for want in "SYNOPSIS" "OPTIONS" "ENVIRONMENT" "FILES" "Keys" "Shift+R" "--dump-exif" \
            "--languages" "TETRAFOT_LANG" "tetrafot.ini" "marked.txt" "$version"; do
  grep -qF -- "$want" <<<"$page" || fail "the manual page lacks \"$want\""
done

[ "$("$prefix/bin/tetrafot" --version)" = "tetrafot $version" ] || fail "installed --version"
# The installed program finds its embedded translation: QTranslator loads it
# and it names English in English; Russian, the texts' own language, needs none.
languages=$("$prefix/bin/tetrafot" --languages) || fail "installed --languages"
[ "$languages" = $'ru Русский\nen English' ] || fail "installed --languages says: $languages"

# The installed program's folder is not the user's to write, so the settings
# go to $XDG_CONFIG_HOME/tetrafot. Root may write anywhere; it runs the
# program as nobody instead.
run=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "packaging: no setpriv, settings check skipped"; exit 0; }
  run=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
  chmod -R a+rX "$scratch"
else
  chmod a-w "$prefix/bin"
fi
config=$scratch/config photos=$scratch/photos
mkdir -m 777 "$config" "$photos"
# It starts in English too; the override is for this run and is not stored.
(cd "$photos" && HOME=$scratch XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=offscreen TETRAFOT_LANG=en \
  exec "${run[@]}" "$prefix/bin/tetrafot" "$photos" 2>"$scratch/stderr") &
pid=$!
# The settings are written as soon as the start folder is listed.
for _ in $(seq 100); do
  [ -f "$config/tetrafot/tetrafot.ini" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.2
done
kill -TERM $pid 2>/dev/null || true
wait $pid || true
[ -f "$config/tetrafot/tetrafot.ini" ] || fail "no settings in \$XDG_CONFIG_HOME/tetrafot"
[ ! -e "$prefix/bin/tetrafot.ini" ] || fail "settings written beside the installed program"
! grep -q "interface language" "$scratch/stderr" || fail "$(cat "$scratch/stderr")"
grep -qx "language=ru" "$config/tetrafot/tetrafot.ini" || fail "the settings lack language=ru"
echo "packaging: installed and checked in $prefix"
