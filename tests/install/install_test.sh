#!/usr/bin/env bash
# install_test.sh BUILD_DIR: installs into a temporary prefix and checks what a desktop
# needs: the program, a valid desktop entry and AppStream metadata, the icons, the help.
set -euo pipefail
build=$1
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/setup installs it)"; exit 77; }
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
prefix=/opt/norvale-test
DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >/dev/null
root="$stage$prefix"
share="$root/share"

failed=0
expect() { [ -s "$1" ] || { echo "missing: ${1#"$stage"}"; failed=1; }; }
expect "$root/bin/norvale"
expect "$share/applications/norvale.desktop"
expect "$share/metainfo/io.github.norvale.Norvale.metainfo.xml"
expect "$share/icons/hicolor/scalable/apps/io.github.norvale.Norvale.svg"
for size in 16 22 24 32 48 64 128 256; do
    expect "$share/icons/hicolor/${size}x${size}/apps/io.github.norvale.Norvale.png"
done
expect "$share/doc/Norvale/Norvale.html"
# Nothing may land outside the prefix.
outside=$(find "$stage" -mindepth 1 -not -path "$root" -not -path "$root/*" -not -path "$stage/opt")
[ -z "$outside" ] || { echo "installed outside the prefix: $outside"; failed=1; }

grep -q '^MimeType=.*application/x-mswinurl;' "$share/applications/norvale.desktop" ||
    { echo "the desktop entry does not open .url files"; failed=1; }
desktop-file-validate "$share/applications/norvale.desktop" || failed=1
appstreamcli validate --no-net "$share/metainfo/io.github.norvale.Norvale.metainfo.xml" || failed=1
[ "$("$root/bin/norvale" --version)" = "Norvale $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] ||
    { echo "the installed program does not run"; failed=1; }
exit $failed
