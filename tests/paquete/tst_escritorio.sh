#!/usr/bin/env bash
# What the desktop reads of the program: the desktop entry and the AppStream metainfo pass their
# validators and name the same application as the programs (their desktop file name), and every
# program answers --help and --version on the terminal without a window.
#
#   tst_escritorio.sh SOURCE_DIR DIRECTORIO_DE_LOS_PROGRAMAS
set -euo pipefail
SRC=$1
APP=$2
ID=org.maposiciones.MaPosiciones
falla() { echo "FALLA: $*" >&2; exit 1; }

desktop-file-validate "$SRC/data/escritorio/$ID.desktop" || falla "desktop-file-validate"
appstreamcli validate --no-net "$SRC/data/escritorio/$ID.metainfo.xml" || falla "appstreamcli validate"
grep -q "\"$ID\"" "$SRC/src/app/Version.h" || falla "los programas no se presentan como $ID"
grep -qx "Icon=$ID" "$SRC/data/escritorio/$ID.desktop" || falla "el icono de la entrada no es $ID"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$SRC/data/escritorio/$ID.metainfo.xml" ||
  falla "la metainfo no lanza $ID.desktop"

for programa in MA_POSICIONES v_zormap_asistente v_zormap_Diagrama; do
  # No display at all: the answer must not need one.
  ayuda=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$APP/$programa" --help) || falla "$programa --help"
  grep -q -- "--version" <<<"$ayuda" || falla "$programa --help no describe --version: $ayuda"
  grep -q "@server=" <<<"$ayuda" || falla "$programa --help no muestra la cadena de parámetros"
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$APP/$programa" -v) || falla "$programa -v"
  [ "$version" = "$programa 1.0" ] || falla "$programa -v: '$version'"
done
echo "entrada de escritorio, metainfo y --help/--version correctos"
