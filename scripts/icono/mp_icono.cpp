// mp_icono: renders the program's SVG icon to the PNG sizes of the hicolor theme at build time.
//
//   mp_icono ICONO.svg CARPETA TAMAÑO...     CARPETA/<TAMAÑO>x<TAMAÑO>/apps/<name of ICONO>.png
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        err << "Uso: mp_icono ICONO.svg CARPETA TAMAÑO...\n";
        return 2;
    }
    QSvgRenderer svg(args[0]);
    if (!svg.isValid()) {
        err << "mp_icono: no se puede leer " << args[0] << "\n";
        return 1;
    }
    const QString nombre = QFileInfo(args[0]).completeBaseName() + QStringLiteral(".png");
    for (const QString& texto : args.mid(2)) {
        bool ok = false;
        const int lado = texto.toInt(&ok);
        if (!ok || lado <= 0) {
            err << "mp_icono: tamaño no válido: " << texto << "\n";
            return 2;
        }
        QImage imagen(lado, lado, QImage::Format_ARGB32_Premultiplied);
        imagen.fill(Qt::transparent);
        QPainter g(&imagen);
        g.setRenderHint(QPainter::Antialiasing);
        svg.render(&g);
        g.end();
        const QDir carpeta(QDir(args[1]).filePath(QStringLiteral("%1x%1/apps").arg(lado)));
        if (!carpeta.mkpath(QStringLiteral(".")) || !imagen.save(carpeta.filePath(nombre))) {
            err << "mp_icono: no se pudo escribir " << carpeta.filePath(nombre) << "\n";
            return 1;
        }
    }
    return 0;
}
