#!/usr/bin/env bash
# The Debian package as a user gets it: made from this build by CPack, its file list checked,
# installed with apt-get (which also checks its dependencies), the installed editor started
# offscreen as an unprivileged user with a fresh home, the package removed again.
#
#   tst_paquete.sh BUILD_DIR
#
# Needs root and dpkg (CI runs as root); anywhere else it is skipped (exit 77).
set -euo pipefail
BUILD=$(cd "$1" && pwd)
PAQUETE=ma-posiciones

omitir() { echo "OMITIDO: $*"; exit 77; }
falla() { echo "FALLA: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || omitir "instalar un paquete necesita root"
for p in dpkg dpkg-deb apt-get cpack setpriv sqlite3; do
  command -v "$p" >/dev/null || omitir "falta $p"
done
if dpkg-query -W -f='${Status}' "$PAQUETE" 2>/dev/null | grep -q 'install ok installed'; then
  omitir "$PAQUETE ya está instalado en este equipo; no se toca"
fi

TMP=$(mktemp -d)
instalado=0
limpiar() {
  if [ "$instalado" -eq 1 ]; then dpkg -r "$PAQUETE" >/dev/null 2>&1 || true; fi
  rm -rf "$TMP"
}
trap limpiar EXIT
chmod 755 "$TMP"

# --- the package -------------------------------------------------------------------------------
cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$TMP/cpack" >"$TMP/cpack.log" 2>&1 || { cat "$TMP/cpack.log"; falla "cpack"; }
DEB=$(ls "$TMP"/cpack/${PAQUETE}_*.deb)
dpkg-deb -c "$DEB" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' >"$TMP/lista"

# Only the four executables in bin/; the data of the program folder is shipped in share/.
bin=$(grep '^/usr/bin/' "$TMP/lista" | sort | tr '\n' ' ')
[ "$bin" = "/usr/bin/MA_POSICIONES /usr/bin/mp_demo /usr/bin/v_zormap_Diagrama /usr/bin/v_zormap_asistente " ] ||
  falla "en bin/ hay: $bin"
for f in /usr/share/ma-posiciones/ETIQUETA_POSIC01.rpt \
         /usr/share/applications/org.maposiciones.MaPosiciones.desktop \
         /usr/share/metainfo/org.maposiciones.MaPosiciones.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/org.maposiciones.MaPosiciones.svg \
         /usr/share/icons/hicolor/16x16/apps/org.maposiciones.MaPosiciones.png \
         /usr/share/icons/hicolor/256x256/apps/org.maposiciones.MaPosiciones.png \
         /usr/share/man/man1/MA_POSICIONES.1; do
  grep -qx "$f" "$TMP/lista" || falla "el paquete no trae $f"
done
grep -E '\.(db|tvx|TVX|LOG|INI)$|BASES\.TXT$' "$TMP/lista" && falla "el paquete trae archivos que escribe el programa"
dpkg-deb -f "$DEB" Depends | grep -q 'tdsodbc' || falla "Depends sin tdsodbc: $(dpkg-deb -f "$DEB" Depends)"

# --- installed ---------------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$DEB" >"$TMP/apt.log" 2>&1 || { cat "$TMP/apt.log"; falla "apt-get install"; }
instalado=1
[ -x /usr/bin/MA_POSICIONES ] || falla "no se instaló /usr/bin/MA_POSICIONES"
# The menu entry starts the installed editor.
ENTRADA=/usr/share/applications/org.maposiciones.MaPosiciones.desktop
orden=$(sed -n 's/^Exec=//p' "$ENTRADA" | cut -d' ' -f1)
[ "$(command -v "$orden")" = /usr/bin/MA_POSICIONES ] || falla "Exec=$orden no es el editor instalado"
touch "$TMP/marca"
sleep 1

# A normal user, a home of its own, nothing else from this environment.
USUARIO=$(id -u nobody)
GRUPO=$(id -g nobody)
HOGAR="$TMP/hogar"
mkdir -p "$HOGAR"
chown "$USUARIO:$GRUPO" "$HOGAR"
como_usuario() {
  setpriv --reuid="$USUARIO" --regid="$GRUPO" --clear-groups -- env -i HOME="$HOGAR" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' ASAN_OPTIONS=detect_leaks=0 "$@"
}
CARPETA="$HOGAR/.local/share/ma-posiciones"

salida=$(como_usuario mp_demo crear) || falla "mp_demo crear"
[ "$salida" = "$CARPETA/DEMO.db" ] || falla "mp_demo creó $salida y no $CARPETA/DEMO.db"

inicio=$(date +%s)
rc=0
como_usuario MA_POSICIONES_CERRAR_MS=1500 timeout 120 MA_POSICIONES \
  "@server=SQLITE; @dbname=DEMO; @usuario=DEMO; @Password=demo; @Caja=1;" >"$TMP/editor.log" 2>&1 || rc=$?
[ "$rc" -eq 0 ] || { cat "$TMP/editor.log"; falla "MA_POSICIONES terminó con $rc"; }
echo "el editor instalado abrió y cerró en $(($(date +%s) - inicio)) s"

# The per-user program folder: the shipped label layout copied in, the lookup catalogue written,
# the session's entry and exit recorded by "Definición de Layout".
[ -f "$CARPETA/ETIQUETA_POSIC01.rpt" ] || falla "la carpeta del usuario no recibió ETIQUETA_POSIC01.rpt"
[ -f "$CARPETA/consultas.tvx" ] || falla "no se escribió consultas.tvx en la carpeta del usuario"
fila=$(sqlite3 "$CARPETA/DEMO.db" "SELECT Formulario || '|' || Tarea || '|' || (EGRESO IS NOT NULL AND EGRESO <> '') FROM Control_Acceso")
[ "$fila" = "MA_POSICIONES|DEFINICION DE LAYOUT|1" ] || falla "Control_Acceso: '$fila'"

# Nothing written under /usr since the installation.
escrito=$(find /usr -xdev -newer "$TMP/marca" -print 2>/dev/null | head -5)
[ -z "$escrito" ] || falla "se escribió en /usr: $escrito"

# --- removed -----------------------------------------------------------------------------------
dpkg -r "$PAQUETE" >/dev/null
instalado=0
[ ! -e /usr/bin/MA_POSICIONES ] || falla "dpkg -r dejó /usr/bin/MA_POSICIONES"
echo "paquete $(basename "$DEB"): lista, instalación, arranque como usuario y desinstalación correctos"
