#!/usr/bin/env bash
# check_install.sh [BUILD_DIR]: installs a built configuration into a temporary folder and
# checks what a user gets: every file in its place and nothing else, the programs
# executable and running, the menu entry, the metainfo, the man pages and the completion
# valid, and the Debian package holding the same files with its dependencies computed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
id=org.quorvex.Quorvex

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
errors=0
fail() {
  echo "check_install: $*" >&2
  errors=$((errors + 1))
}

# What the install must hold, relative to the prefix.
expected=(bin/quorvex bin/quorvex-cli bin/quorvex-phonesim
  share/quorvex/info.txt
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/bash-completion/completions/quorvex-cli
  share/man/man1/quorvex.1.gz share/man/man1/quorvex-cli.1.gz share/man/man1/quorvex-phonesim.1.gz)
for picture in "$top"/data/*.jpg; do expected+=("share/quorvex/${picture##*/}"); done
sizes=(16 32 48 64 128 256)
for n in "${sizes[@]}"; do expected+=("share/icons/hicolor/${n}x$n/apps/$id.png"); done

# Compares the files found (one path a line, relative to the prefix) with the expected ones.
compare_files() {
  local what=$1 found=$2
  local missing extra
  missing=$(comm -23 <(printf '%s\n' "${expected[@]}" | sort) <(sort <<<"$found"))
  extra=$(comm -13 <(printf '%s\n' "${expected[@]}" | sort) <(sort <<<"$found"))
  [ -z "$missing" ] || fail "$what lacks:" $missing
  [ -z "$extra" ] || fail "$what holds files it should not:" $extra
}

prefix=/usr/local
root=$tmp/root
DESTDIR=$root cmake --install "$build" --prefix "$prefix" >/dev/null
usr=$root$prefix
compare_files "the install" "$(cd "$usr" && find . \( -type f -o -type l \) -printf '%P\n')"
for program in quorvex quorvex-cli quorvex-phonesim; do
  [ -f "$usr/bin/$program" ] && [ -x "$usr/bin/$program" ] || fail "bin/$program is not executable"
done
"$usr/bin/quorvex-cli" --help >"$tmp/cli-help" || fail "quorvex-cli --help failed"
"$usr/bin/quorvex-phonesim" --help >/dev/null || fail "quorvex-phonesim --help failed"

# Each icon at the size its folder names (the width and height of the PNG's header).
for n in "${sizes[@]}"; do
  png=$usr/share/icons/hicolor/${n}x$n/apps/$id.png
  [ -f "$png" ] || continue
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
  w=$((((w1 * 256 + w2) * 256 + w3) * 256 + w4))
  h=$((((h1 * 256 + h2) * 256 + h3) * 256 + h4))
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  [ "$w" = "$n" ] && [ "$h" = "$n" ] || fail "the ${n}x$n icon is $w x $h"
done

desktop=$usr/share/applications/$id.desktop
metainfo=$usr/share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
grep -qx 'Exec=quorvex --home' "$desktop" || fail "$id.desktop does not run quorvex --home"
grep -qx "Icon=$id" "$desktop" || fail "$id.desktop does not name the icon $id"
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream" ||
  { cat "$tmp/appstream" >&2; fail "appstreamcli rejects $id.metainfo.xml"; }
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
grep -q "<release version=\"$version\"" "$metainfo" ||
  fail "the metainfo has no release entry for version $version"

# The pages format without a warning, and quorvex-cli(1) names every command and
# subcommand of the program's own usage.
for page in "$usr"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) || fail "man cannot format ${page##*/}"
  [ -z "$warnings" ] || fail "${page##*/}: $warnings"
done
manual=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$usr/share/man/man1/quorvex-cli.1.gz" 2>/dev/null | col -b)
while read -r command rest; do
  grep -qE "^ +$command( |$)" <<<"$manual" || fail "quorvex-cli(1) lacks the command $command"
  [[ $rest == *"|"* ]] || continue
  IFS='|' read -ra pieces <<<"$rest"
  for piece in "${pieces[@]}"; do
    read -ra piece_words <<<"$piece"
    sub=${piece_words[0]-}
    [[ $sub == "$command" ]] && sub=${piece_words[1]-}
    [[ $sub =~ ^[a-z][a-z0-9-]*$ ]] || continue
    grep -qE "^ +$command $sub( |$)" <<<"$manual" || fail "quorvex-cli(1) lacks $command $sub"
  done
done < <(sed -n '/^Commands:/,$p' "$tmp/cli-help" | sed -n 's/^  \([a-z]\)/\1/p')
for section in "EXIT STATUS" FILES; do
  grep -q "^$section" <<<"$manual" || fail "quorvex-cli(1) has no $section section"
done

completion=$usr/share/bash-completion/completions/quorvex-cli
bash -n "$completion" || fail "the completion does not parse"
bash -c 'source "$1" && complete -p quorvex-cli' _ "$completion" >/dev/null ||
  fail "the completion does not register for quorvex-cli"

# The package: built from the same build, the same files under /usr, its dependencies
# computed from what the programs link.
(cd "$build" && cpack -G DEB -B "$tmp/package" >"$tmp/cpack.log" 2>&1) ||
  { cat "$tmp/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb=$(find "$tmp/package" -maxdepth 1 -name "quorvex_${version}_*.deb" | head -n 1)
if [ -z "$deb" ]; then
  fail "cpack made no quorvex_${version}_<arch>.deb"
else
  contents=$(dpkg -c "$deb") || fail "dpkg -c cannot list ${deb##*/}"
  compare_files "${deb##*/}" "$(awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' <<<"$contents")"
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in libqt6widgets6 libstdc++6 libc6; do
    [[ $depends == *"$library "* ]] || fail "${deb##*/} does not depend on $library: $depends"
  done
  for field in Maintainer Section Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "${deb##*/} has no $field"
  done
  echo "check_install: ${deb##*/}: $(wc -l <<<"$contents") entries, Depends: $depends"
fi

if ((errors)); then
  echo "check_install: $errors problem(s)" >&2
  exit 1
fi
echo "check_install: the install and the package are complete"
