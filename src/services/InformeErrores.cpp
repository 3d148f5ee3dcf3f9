#include "services/InformeErrores.h"

#include "services/FuncionesComunes.h"
#include "services/FuncionesSistema.h"
#include "services/Plataforma.h"

#include <QDir>
#include <QFile>

namespace informe {

QString TextoMensaje(const ErrorEjecucion& e) {
    return QStringLiteral("Ha ocurrido el Siguiente Error (") + QString::number(e.Number) + QStringLiteral(") ") +
           e.Description.trimmed();
}

QString Titulo(const ErrorEjecucion& e, const QString& rutina, const QString& sufijo) {
    QString t = e.Source;
    if (!rutina.isEmpty()) t += QStringLiteral(" - ") + rutina;
    return t + sufijo;
}

QString PalabraRespuesta(int respuesta) {
    switch (respuesta) {
        case 2:
            return QStringLiteral("Cancelar");
        case 3:
            return QStringLiteral("Abortar");
        case 4:
            return QStringLiteral("Reintentar");
        case 5:
            return QStringLiteral("Ignorar");
        case 6:
            return QStringLiteral("Sí");
        case 7:
            return QStringLiteral("No");
        default:
            return QString();
    }
}

QString LineaLog(const QDateTime& momento, const QString& rutina, const QString& mensaje, int respuesta) {
    const QString parteRutina = rutina.isEmpty() ? QString() : QStringLiteral(" - ") + rutina;
    return momento.toString(QStringLiteral("MM-dd-yyyy")) + QLatin1Char(' ') + momento.toString(QStringLiteral("HH:mm:ss")) +
           QStringLiteral(" Rutina: ") + parteRutina.trimmed() + QStringLiteral(" Mensaje ") + mensaje.trimmed() +
           QStringLiteral(" Respondió : ") + PalabraRespuesta(respuesta);
}

int Informar(const ErrorEjecucion& e, int botones, const QString& rutina, const Opciones& opciones) {
    QFile log(opciones.rutaLog);
    auto abrir = [&] { return log.open(QIODevice::WriteOnly | QIODevice::Append); };
    if (opciones.abrirAntes) abrir();
    const QString mensaje = TextoMensaje(e);
    const QString titulo = Titulo(e, rutina, opciones.sufijoTitulo);
    if (e.Number == 0) return 0;
    const int respuesta = plataforma().MsgBox(mensaje, botones, titulo);
    if (!log.isOpen()) abrir();
    if (log.isOpen()) {
        const QString linea = LineaLog(plataforma().Ahora(), rutina, mensaje, respuesta) + QStringLiteral("\r\n");
        log.write(linea.toUtf8());
        log.close();
    }
    return respuesta;
}

QString CarpetaLogTemporal() {
    auto variable = [](const char* nombre) {
        // Windows environment names ignore case; on Linux the upper-case spelling is the usual one.
        QString v = plataforma().Entorno(QString::fromLatin1(nombre));
        if (v.isEmpty()) v = plataforma().Entorno(QString::fromLatin1(nombre).toUpper());
        return v;
    };
    QString carpeta;
    if (!variable("temp").isEmpty()) carpeta = variable("tmp");
    carpeta = carpeta.trimmed();
    if (carpeta.isEmpty()) carpeta = FuncionesSistema::instancia().CarpetaAlternativa();
    carpeta = FuncionesComunes::instancia().RutaCarpeta(carpeta);
    if (!carpeta.endsWith(QLatin1Char('/'))) carpeta += QLatin1Char('/');
    return carpeta;
}

}  // namespace informe
