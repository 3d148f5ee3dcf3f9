#include "core/ParametrosInicio.h"

namespace inicio {

std::optional<QString> ExtraerItem(const QString& parametros, const QString& nombre) {
    const int p = parametros.indexOf(nombre, 0, Qt::CaseInsensitive);
    if (p < 0) return std::nullopt;
    const int pc = parametros.indexOf(QLatin1Char(';'), p);
    if (pc < 0) return std::nullopt;
    const int n = pc - static_cast<int>(nombre.size()) - p;
    if (n < 0) return std::nullopt;
    QString valor = parametros.mid(p + nombre.size(), n);
    valor.remove(QLatin1Char('='));
    return valor.trimmed();
}

QString NombreServidor(const QString& texto) {
    QString r = texto;
    const int barra = r.indexOf(QLatin1Char('/'));
    if (barra >= 0) r = r.mid(barra + 1);
    const int dos = r.indexOf(QLatin1Char(':'));
    if (dos >= 0) r = r.left(dos);
    return r;
}

QString CadenaMenuExes(const QString& servidor, const QString& baseDatos, const QString& usuario, const QString& clave,
                       const QString& parametroAdicional, const QString& caja) {
    return QStringLiteral(" ; @server=") + servidor + QStringLiteral("; @dbname=") + baseDatos + QStringLiteral("; @usuario=") +
           usuario + QStringLiteral("; @Password=") + clave + QStringLiteral("; @ParametroAdicional=") + parametroAdicional +
           QStringLiteral("; orbe@ ; @UsuarioLogeado = ") + usuario + QStringLiteral("; @Caja=") + caja + QStringLiteral(";");
}

QString ComandoMenuExes(const QString& programa, const QString& carpetaPrograma, const QString& parametros) {
    if (programa.contains(QLatin1Char('\\')) || programa.contains(QLatin1Char('/'))) return programa.mid(6) + parametros;
    if (programa.contains(QStringLiteral("SHELL"), Qt::CaseInsensitive)) return carpetaPrograma + programa.mid(6) + parametros;
    return carpetaPrograma + programa + parametros;
}

QString PuestoTrabajo(const QString& equipo, const QString& usuario) {
    QString p = equipo.toUpper() + QLatin1Char('|') + usuario.toUpper();
    if (p.trimmed().size() > 50) p = p.left(50);
    return p;
}

QString SeccionBaseDatos(const QString& equipo, const QString& usuario) {
    return equipo.toUpper() + QLatin1Char('|') + usuario.toUpper() + QStringLiteral("BaseDeDatos");
}

}  // namespace inicio
