#!/usr/bin/env bash
# The package on this machine, for real: installs build/glyphos_*.deb with
# apt-get, starts the editor from its desktop entry's Exec line (offscreen),
# asks xdg-mime for the type of a .kfn file, builds a small program against
# the installed library with pkg-config, and removes the package again,
# checking that none of its files stay behind.
#
# It changes the system, so it runs only when GLYPHOS_INSTALL_TEST=1 and as
# root (CI runs it after the ordinary tests); otherwise it reports a skip.
#
#   packaging/install-test.sh BUILD_DIR
set -euo pipefail
SKIP=77
build=$(cd "${1:?usage: install-test.sh BUILD_DIR}" && pwd)
if [ "${GLYPHOS_INSTALL_TEST:-}" != 1 ] || [ "$(id -u)" -ne 0 ]; then
  echo "skipped: set GLYPHOS_INSTALL_TEST=1 and run as root to install the package"
  exit $SKIP
fi
if dpkg-query -W -f='${Status}' glyphos 2>/dev/null | grep -q 'install ok installed'; then
  echo "glyphos is already installed; this test would remove it" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
step() { echo "== $*"; }

step "package"
if ! grep -q '^CMAKE_INSTALL_PREFIX:PATH=/usr$' "$build/CMakeCache.txt"; then
  cmake "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
  cmake --build "$build" >/dev/null
fi
(cd "$build" && rm -f glyphos_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/glyphos_*.deb)

step "install $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
dpkg -L glyphos | sort >"$work/files"

step "programs answer --version"
for p in $(dpkg -L glyphos | grep '^/usr/bin/'); do
  "$p" --version | grep -q '^'"$(basename "$p")"' ' || { echo "$p --version" >&2; exit 1; }
  man -w "$(basename "$p")" >/dev/null || { echo "no manual page for $p" >&2; exit 1; }
done

step "a font file, made by the installed glyphos-cli"
glyphos-cli convert /usr/share/consolefonts/Lat15-VGA16.psf.gz "$work/font.kfn" 2>/dev/null || true
if [ ! -f "$work/font.kfn" ]; then
  printf 'STARTFONT 2.1\nFONTBOUNDINGBOX 8 8 0 0\nCHARS 1\nSTARTCHAR A\nENCODING 65\nBBX 8 8 0 0\nBITMAP\n18\n24\n42\n7E\n42\n42\n42\n00\nENDCHAR\nENDFONT\n' >"$work/a.bdf"
  glyphos-cli convert "$work/a.bdf" "$work/font.kfn"
fi

step "the installed glyphos-cli prints through its helper"
QT_QPA_PLATFORM=offscreen glyphos-cli print "$work/font.kfn" "$work/proof.pdf"
[ -s "$work/proof.pdf" ] || { echo "glyphos-cli print wrote no PDF" >&2; exit 1; }

step "the editor starts from its desktop entry"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/glyphos.desktop)
cmd=${exec_line//%F/\"$work/font.kfn\" \"$work/font.kfn\"}
export HOME="$work/home" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
eval "timeout 60 $cmd --exit-when-shown"
test -d "$HOME/.cache/glyphos/DebugFile" || { echo "the editor wrote no dump into the user's cache" >&2; exit 1; }

step "xdg-mime knows our file types"
type=$(xdg-mime query filetype "$work/font.kfn")
[ "$type" = application/x-glyphos-font ] || { echo "xdg-mime says $type for a .kfn file" >&2; exit 1; }
[ "$(xdg-mime query default application/x-glyphos-font)" = glyphos.desktop ] ||
  { echo "glyphos.desktop is not the default for .kfn files" >&2; exit 1; }

step "a program builds against the installed library with pkg-config"
cat >"$work/tool.cpp" <<'CPP'
#include "Conversioni.h"
#include "HeaderPsw.h"
#include <cstdio>
int main() {
    CConversioni c;
    std::printf("%d\n", c.CStrExadecByteToInt(L"7f"));
    return 0;
}
CPP
g++ -o "$work/tool" "$work/tool.cpp" $(pkg-config --cflags --libs ostrel)
[ "$("$work/tool")" = 127 ] || { echo "the program built against the library gave a wrong answer" >&2; exit 1; }

step "removal leaves nothing behind"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq glyphos >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
left=0
while read -r f; do
  if [ -f "$f" ] || [ -L "$f" ]; then echo "left behind: $f" >&2; left=1; fi
done <"$work/files"
[ $left -eq 0 ]
[ "$(xdg-mime query filetype "$work/font.kfn")" != application/x-glyphos-font ] ||
  { echo "the .kfn type outlived the package" >&2; exit 1; }
echo "install test passed"
