#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop gets from it: both
# programs, the help page, a valid desktop entry, a MIME type that registers, and the icons.
set -euo pipefail
BUILD=$1
PREFIX=$(mktemp -d)
trap 'rm -rf "$PREFIX"' EXIT
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

fail() { echo "install check: $*" >&2; exit 1; }
for f in bin/pelmora-cli share/pelmora/Help.html share/applications/pelmora.desktop \
         share/mime/packages/pelmora.xml share/icons/hicolor/scalable/apps/pelmora.svg \
         share/icons/hicolor/scalable/mimetypes/application-x-pelmora-project.svg; do
  [ -e "$PREFIX/$f" ] || fail "missing $f"
done
if [ -e "$BUILD/bin/pelmora" ]; then
  [ -x "$PREFIX/bin/pelmora" ] || fail "missing bin/pelmora"
fi
for s in 16 22 24 32 48 64 128 256; do
  [ -s "$PREFIX/share/icons/hicolor/${s}x${s}/apps/pelmora.png" ] || fail "missing ${s}px icon"
  [ -s "$PREFIX/share/icons/hicolor/${s}x${s}/mimetypes/application-x-pelmora-project.png" ] ||
    fail "missing ${s}px project icon"
done
# Data folders generated at build time install beside the help page.
for name in Cards Textures SFrames Masks Patterns Decor Captions BDG; do
  if [ -d "$BUILD/bin/$name" ]; then
    [ -d "$PREFIX/share/pelmora/$name" ] || fail "data folder $name not installed"
  fi
done

desktop-file-validate "$PREFIX/share/applications/pelmora.desktop" || fail "desktop entry invalid"
grep -q '^Exec=pelmora %f$' "$PREFIX/share/applications/pelmora.desktop" || fail "Exec line"
grep -q 'application/x-pelmora-project' "$PREFIX/share/applications/pelmora.desktop" ||
  fail "desktop entry does not name the project type"

# The MIME package must register: update-mime-database builds the cache from it.
update-mime-database "$PREFIX/share/mime" >/dev/null 2>&1 || fail "MIME package rejected"
grep -q '^\*\.kvt$\|:\*\.kvt$' "$PREFIX/share/mime/globs" || fail "*.kvt glob not registered"
grep -q 'application/x-pelmora-project' "$PREFIX/share/mime/types" || fail "type not registered"
echo "install check: ok"
