#include "SesionPrueba.h"
#include "core/Dll_Display.h"
#include "db/DB_Dll.h"
#include "demo/BaseDemo.h"
#include "diagrama/DetallePosicion.h"
#include "diagrama/DialogoSalida.h"
#include "diagrama/FrmDiagrama.h"
#include "diagrama/PaletaDiagrama.h"
#include "diagrama/VistaDiagrama.h"
#include "layout/FrmMa_Posic.h"
#include "services/Sesion.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

using namespace diagrama;

namespace {

QString Ejecutar(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(programa, argumentos);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

// The diagram as the operator uses it, on a copy of the demo database (levels 2, 2, 2, 0;
// warehouses "   1" .. "   3"): typing, clicking, keys and the wheel, the detail, F5 and the
// window coming back to the front, printing and exporting.
class TstFrmDiagrama : public QObject {
    Q_OBJECT

    static const QString kAviso;

    std::unique_ptr<FrmDiagrama> Abrir() {
        auto w = std::make_unique<FrmDiagrama>(false);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get())) qWarning("la ventana no quedo activa");
        return w;
    }
    static QString Elegido(const FrmDiagrama& w) {
        const int n = w.Vista->Seleccionado();
        return n < 0 ? QString() : w.Layout().Codigo(n).toString();
    }
    // Where a position is on the screen.
    static QPoint EnPantalla(FrmDiagrama& w, const QString& codigo) {
        return w.Vista->mapFromScene(w.Geometria().RectNodo(w.Layout().Buscar(codigo)).center());
    }
    static QStringList TextosDelPdf(const QString& pdf) {
        return Ejecutar(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}).split(QLatin1Char('\n'));
    }
    static int PaginasDelPdf(const QString& pdf) {
        const QString info = Ejecutar(QStringLiteral("pdfinfo"), {pdf});
        const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

private slots:
    void arrancaComoElEditorConSuFilaDeAcceso() {
        SesionPrueba s(false);
        s.guion().ejecutable = QStringLiteral("v_zormap_Diagrama");
        s.guion().lineaComando = QStringLiteral(" ; @server=SQLITE; @dbname=DEMO; @usuario=DEMO; @Password=demo; @Caja=1;");
        auto w = std::make_unique<FrmDiagrama>(true);
        QCOMPARE(w->windowTitle(), QStringLiteral("Diagrama de Layout"));
        QCOMPARE(s.Sql(QStringLiteral("SELECT Usuario || '|' || Formulario FROM Control_Acceso WHERE EGRESO IS NULL")),
                 QStringLiteral("DEMO|V_ZORMAP_DIAGRAMA"));
        QCOMPARE(w->CmbDeposito->count(), 3);
        QCOMPARE(w->Deposito(), QStringLiteral("   1"));
        QCOMPARE(w->Layout().CantidadPosiciones(), s.Contar(QStringLiteral("MA_POSICIONES WHERE IdDeposito = '   1'")));
        QCOMPARE(w->Layout().TituloRol(1), QStringLiteral("Calle"));
        QVERIFY_THROWS_EXCEPTION(ProgramaTerminado, w->Form_Unload());
        QCOMPARE(s.Contar(QStringLiteral("Control_Acceso WHERE EGRESO IS NULL")), 0);
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void buscarCentraYMuestraElDetalle() {
        SesionPrueba s;
        s.Sql(
            QStringLiteral("UPDATE MA_POSICIONES SET IdUnidad = 'KG', IdRubro = 'ALM' WHERE IdDeposito = '   1' AND "
                           "IdPosicion = '010203'"));
        auto w = Abrir();
        QCOMPARE(QApplication::focusWidget(), w->TxtBuscar);
        QCOMPARE(w->Vista->Escala(), w->Vista->EscalaAjuste());  // the whole warehouse at start
        QTest::keyClicks(w->TxtBuscar, QStringLiteral("010203"));
        QCOMPARE(Elegido(*w), QStringLiteral("010203"));
        QVERIFY(w->Vista->ZonaVisible().contains(w->Geometria().RectNodo(w->Vista->Seleccionado())));
        QVERIFY(w->Vista->Escala() > PintorDiagrama::kEscalaTexto);  // close enough to read it
        auto* d = w->Detalle;
        QCOMPARE(d->txtfields[0]->text(), QStringLiteral("010203"));
        QCOMPARE(d->txtfields[1]->text(), QStringLiteral("Nivel 3"));
        QCOMPARE(d->LblDesc[0]->text(), QStringLiteral("Kilogramo"));
        QCOMPARE(d->LblDesc[1]->text(), QStringLiteral("Almacen"));
        QCOMPARE(d->LblDesc[2]->text(), QStringLiteral("..."));
        QVERIFY(d->txtfields[0]->isReadOnly());
        QCOMPARE(d->LblUbicacion->text(), QStringLiteral("Calle 01 › Posicion 0102 › Nivel 010203"));
        QVERIFY(w->LblFila->text().startsWith(QStringLiteral("1 de 1: Nivel 010203 · Nivel 3 · ")));

        // Part of a description: every match in turn with F3, back with Shift+F3.
        w->TxtBuscar->clear();
        QTest::keyClicks(w->TxtBuscar, QStringLiteral("calle 0"));
        QCOMPARE(Elegido(*w), QStringLiteral("01"));
        QTest::keyClick(w->TxtBuscar, Qt::Key_F3);
        QCOMPARE(Elegido(*w), QStringLiteral("02"));
        QTest::keyClick(w->TxtBuscar, Qt::Key_F3, Qt::ShiftModifier);
        QTest::keyClick(w->TxtBuscar, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(Elegido(*w), QStringLiteral("08"));
        QVERIFY(w->LblFila->text().startsWith(QStringLiteral("8 de 8: ")));
        w->TxtBuscar->clear();
        QTest::keyClicks(w->TxtBuscar, QStringLiteral("0'9"));
        QCOMPARE(w->LblFila->text(), QStringLiteral("No se encontró «0'9» en el depósito."));
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    // Reading a row lets pending events run: a position picked meanwhile is the one shown, and the
    // earlier reading does not write over it when it comes back.
    void laUltimaEleccionGana() {
        SesionPrueba s;
        auto w = Abrir();
        QTimer::singleShot(0, w.get(), [&] { w->Elegir(w->Layout().Buscar(u"020202"), false); });
        w->Elegir(w->Layout().Buscar(u"010101"), false);
        QCOMPARE(Elegido(*w), QStringLiteral("020202"));
        QCOMPARE(w->Detalle->txtfields[0]->text(), QStringLiteral("020202"));
        QVERIFY(w->LblFila->text().startsWith(QStringLiteral("Nivel 020202")));
    }

    void punteroMuestraLaFilaYClicElige() {
        SesionPrueba s;
        auto w = Abrir();
        w->Vista->FijarEscala(1.0);
        w->Vista->centerOn(w->Geometria().RectNodo(w->Layout().Buscar(u"030201")).center());
        const QPoint p = EnPantalla(*w, QStringLiteral("030201"));
        QTest::mouseMove(w->Vista->viewport(), p);
        QCOMPARE(w->Vista->BajoPuntero(), w->Layout().Buscar(u"030201"));
        QVERIFY(w->LblFila->text().startsWith(QStringLiteral("Nivel 030201 · Nivel 1 · ")));
        QCOMPARE(Elegido(*w), QString());
        QTest::mouseClick(w->Vista->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(Elegido(*w), QStringLiteral("030201"));
        QCOMPARE(w->Detalle->txtfields[0]->text(), QStringLiteral("030201"));
        QVERIFY(w->Detalle->ChkFields[3]->isChecked());  // the lowest level is picking
        // A drag moves the drawing and picks nothing.
        const int antes = w->Vista->horizontalScrollBar()->value();
        QTest::mousePress(w->Vista->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseMove(w->Vista->viewport(), p - QPoint(120, 0));
        QTest::mouseRelease(w->Vista->viewport(), Qt::LeftButton, {}, p - QPoint(120, 0));
        QCOMPARE(w->Vista->horizontalScrollBar()->value(), antes + 120);
        QCOMPARE(Elegido(*w), QStringLiteral("030201"));
    }

    void ruedaYTeclasAcercanYMueven() {
        SesionPrueba s;
        auto w = Abrir();
        auto& v = *w->Vista;
        v.setFocus();
        const double ajuste = v.Escala();
        // Zoomed in far enough for the drawing to pass the window both ways, the point under the
        // pointer stays under it.
        v.FijarEscala(0.8);
        const QPoint p = EnPantalla(*w, QStringLiteral("040404"));
        const QPointF bajo = v.mapToScene(p);
        QWheelEvent rueda(p, v.viewport()->mapToGlobal(p), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(v.viewport(), &rueda);
        QCOMPARE(v.Escala(), 0.8 * VistaDiagrama::kPaso);
        QVERIFY((v.mapToScene(p) - bajo).manhattanLength() < 3 / v.Escala());
        QTest::keyClick(&v, Qt::Key_Plus);
        QCOMPARE(v.Escala(), 0.8 * VistaDiagrama::kPaso * VistaDiagrama::kPaso);
        const int y = v.verticalScrollBar()->value();
        QTest::keyClick(&v, Qt::Key_Down);
        QVERIFY(v.verticalScrollBar()->value() > y);
        QTest::keyClick(&v, Qt::Key_Minus);
        QTest::keyClick(w->TxtBuscar, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(v.Escala(), 0.8 * VistaDiagrama::kPaso * VistaDiagrama::kPaso);
        QTest::keyClick(&v, Qt::Key_0);
        QCOMPARE(v.Escala(), ajuste);
        // Fitted, the view follows the window's size.
        w->resize(w->width() + 300, w->height());
        QApplication::processEvents();
        QCOMPARE(v.Escala(), v.EscalaAjuste());
    }

    void tabuladorYLetrasDeLaVentana() {
        SesionPrueba s;
        auto w = Abrir();
        const QList<QWidget*> orden = {w->CmbDeposito,   w->TxtBuscar, w->CmdSiguiente, w->CmdAnterior,
                                       w->CmdAcercar,    w->CmdAlejar, w->CmdAjustar,   w->CmdImprimir,
                                       w->CmdActualizar, w->CmdCerrar, w->Vista,        w->Detalle->txtfields[0]};
        w->CmbDeposito->setFocus();
        for (QWidget* x : orden) {
            QCOMPARE(QApplication::focusWidget(), x);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QStringList letras;
        for (QObject* o : w->findChildren<QObject*>()) {
            QString t;
            if (auto* b = qobject_cast<QAbstractButton*>(o)) t = b->text();
            if (auto* l = qobject_cast<QLabel*>(o); l && l->buddy()) t = l->text();
            const int i = t.indexOf(QLatin1Char('&'));
            if (i >= 0 && i + 1 < t.size()) letras << t.mid(i + 1, 1).toUpper();
        }
        QCOMPARE(letras.size(), 8);
        QCOMPARE(QSet<QString>(letras.begin(), letras.end()).size(), letras.size());
        QTest::keyClick(w.get(), Qt::Key_B, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w->TxtBuscar);
    }

    // The editor saves while the diagram is open: F5 shows it, and so does coming back to the
    // window; the picked position stays picked.
    void loGuardadoSeVeConF5YAlVolver() {
        SesionPrueba s;
        auto w = Abrir();
        QTest::keyClicks(w->TxtBuscar, QStringLiteral("010101"));
        const int antes = w->Layout().CantidadPosiciones();
        s.Sql(QStringLiteral("UPDATE MA_POSICIONES SET Habilitado = 0 WHERE IdDeposito = '   1' AND IdPosicion = '010101'"));
        QCOMPARE(w->Layout().EstadoNodo(w->Layout().Buscar(u"010101")), Estado::Reservado);
        QTest::keyClick(w->TxtBuscar, Qt::Key_F5);
        QCOMPARE(w->Layout().EstadoNodo(w->Layout().Buscar(u"010101")), Estado::Bloqueado);
        QCOMPARE(Elegido(*w), QStringLiteral("010101"));
        QVERIFY(!w->Detalle->ChkFields[0]->isChecked());
        QCOMPARE(w->Detalle->ChkFields[0]->text(), QStringLiteral("Bloqueado"));

        s.Sql(QStringLiteral(
            "INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, IdDeposito, Titulo) VALUES ('0113', 'Nueva', '   1', 1)"));
        QEvent activa(QEvent::WindowActivate);
        QApplication::sendEvent(w.get(), &activa);
        QTRY_COMPARE(w->Layout().CantidadPosiciones(), antes + 1);
        QVERIFY(w->Layout().Buscar(u"0113") >= 0);
        QCOMPARE(Elegido(*w), QStringLiteral("010101"));
        // Nothing changed: coming back asks the database for its checksum and reads nothing more.
        QApplication::sendEvent(w.get(), &activa);
        QTest::qWait(20);
        QVERIFY2(gBaseDatos().UltimaSentencia.contains(QStringLiteral("CHECKSUM_AGG")), qPrintable(gBaseDatos().UltimaSentencia));

        // A description replaced by another of the same length, as the editor saves it, is a change
        // too; so is a unit replaced by another code of the same length.
        const QString vieja = w->Layout().Descripcion(w->Layout().Buscar(u"010101")).toString();
        QString nueva = vieja;
        nueva[0] = nueva[0] == QLatin1Char('X') ? QLatin1Char('Y') : QLatin1Char('X');
        s.Sql(QStringLiteral("UPDATE MA_POSICIONES SET Descripcion = '%1' WHERE IdDeposito = '   1' AND IdPosicion = '010101'")
                  .arg(nueva));
        QApplication::sendEvent(w.get(), &activa);
        QTRY_COMPARE(w->Layout().Descripcion(w->Layout().Buscar(u"010101")).toString(), nueva);
    }

    void loQueNoEntraYLoVacio() {
        SesionPrueba s;
        s.Sql(QStringLiteral(
            "INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, IdDeposito) VALUES ('091010', 'Huérfana', '   1')"));
        s.Sql(QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, IdDeposito) VALUES ('010', 'Mal', '   1')"));
        s.Sql(QStringLiteral("DELETE FROM MA_POSICIONES WHERE IdDeposito = '   3'"));
        // Texts of 10,000 characters, with quotes, in a description, a unit and a level's title.
        const QString largo = QStringLiteral("O'Brien \"x\" ").repeated(834);
        s.Sql(QStringLiteral("UPDATE MA_POSICIONES SET Descripcion = '%1' WHERE IdPosicion = '010101'")
                  .arg(QString(largo).replace(QLatin1Char('\''), QStringLiteral("''"))));
        s.Sql(QStringLiteral("UPDATE TA_UNIDAD SET Descripcion = '%1' WHERE IdUnidad = 'CJ'")
                  .arg(QString(largo).replace(QLatin1Char('\''), QStringLiteral("''"))));
        s.Sql(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = '%1' WHERE Clave = 'PLURAL_LAYOUT_NIVEL_1'")
                  .arg(QString(largo).replace(QLatin1Char('\''), QStringLiteral("''"))));
        auto w = Abrir();
        const QSize tamano = w->size();
        QTest::keyClicks(w->TxtBuscar, QStringLiteral("brien \"x\""));
        QCOMPARE(Elegido(*w), QStringLiteral("010101"));
        QCOMPARE(w->Detalle->txtfields[1]->text().size(), largo.trimmed().size());
        QVERIFY(w->Detalle->LblDesc[0]->text().startsWith(QStringLiteral("O'Brien")));
        QApplication::processEvents();
        QCOMPARE(w->size(), tamano);  // nothing made the window grow
        QVERIFY(w->LblFila->text().size() < 400);
        w->TxtBuscar->clear();
        QCOMPARE(w->Layout().CantidadFuera(), 2);
        QTest::keyClicks(w->TxtBuscar, QStringLiteral("091010"));
        QCOMPARE(
            w->Detalle->LblNota->text(),
            QStringLiteral("⚠ Sin nivel superior: no existe la posición 0910. El árbol del editor la muestra bajo la raíz."));
        QVERIFY(w->LblEstado->text().contains(QStringLiteral(" · 2 fuera de los niveles")));
        w->CmbDeposito->setCurrentIndex(w->CmbDeposito->findText(QStringLiteral("   3"), Qt::MatchEndsWith));
        QVERIFY(w->Layout().Vacio());
        QVERIFY(w->LblEstado->text().startsWith(QStringLiteral("Sin posiciones")));
        s.guion().ResponderMsgBox(vb::OK);
        w->ImprimirExportar();
        QCOMPARE(s.guion().UltimaCaja().texto, QStringLiteral("El depósito no tiene posiciones: no hay nada que imprimir."));
    }

    void sinDepositosLoDice() {
        SesionPrueba s;
        s.Sql(QStringLiteral("DELETE FROM TA_DEPOSITO"));
        s.guion().ResponderMsgBox(vb::OK);
        auto w = Abrir();
        QCOMPARE(s.guion().UltimaCaja().texto, FrmMa_Posic::MensajeSinDepositos());
        QCOMPARE(s.guion().UltimaCaja().titulo, kAviso);
        QVERIFY(!w->Actualizar());
    }

    // The dialog picks PDF on several sheets; the sheets are the plan's, with the codes on them.
    void imprimeEnPdfDesdeElDialogo() {
        SesionPrueba s;
        auto w = Abrir();
        const QString pdf = s.base().Carpeta() + QStringLiteral("/mapa.pdf");
        s.guion().AlMostrarModal([](QWidget* v) {
            auto* d = qobject_cast<DialogoSalida*>(v);
            QVERIFY(d);
            d->CboDestino->setCurrentIndex(1);
            QTest::mouseClick(d->OptVariasHojas, Qt::LeftButton);
            QVERIFY(d->LblHojas->text().contains(QStringLiteral("hojas A4 apaisado")));
            QTest::keyClick(d, Qt::Key_Return);
        });
        s.guion().ResponderArchivo(s.base().Carpeta() + QStringLiteral("/mapa"));
        w->ImprimirExportar();
        QVERIFY(QFile::exists(pdf));
        QVERIFY(!QFile::exists(pdf + QStringLiteral(".part")));
        QCOMPARE(s.guion().Documentos(), QStringList{pdf});
        const PlanHojas plan = PlanificarHojas(w->Geometria().Limites(), Papel::A4, true, w->Geometria().Cortes());
        QCOMPARE(PaginasDelPdf(pdf), plan.Cantidad());
        const QString texto = TextosDelPdf(pdf).join(QLatin1Char('\n'));
        QVERIFY(texto.contains(QStringLiteral("Diagrama de Layout - Deposito Central")));
        QVERIFY(texto.contains(QStringLiteral("010203")));
        QVERIFY(texto.contains(QStringLiteral("Hoja 1 de %1").arg(plan.Cantidad())));
    }

    // Cancelled from the banner, an export leaves no file, and an older one stays as it was.
    void cancelarNoDejaArchivo_data() {
        QTest::addColumn<int>("destino");
        QTest::newRow("pdf") << static_cast<int>(DialogoSalida::Destino::Pdf);
        QTest::newRow("png") << static_cast<int>(DialogoSalida::Destino::Png);
        QTest::newRow("svg") << static_cast<int>(DialogoSalida::Destino::Svg);
    }
    void cancelarNoDejaArchivo() {
        QFETCH(int, destino);
        SesionPrueba s;
        auto w = Abrir();
        // The name chosen has another extension: the right one is added.
        const QString archivo = s.base().Carpeta() + QStringLiteral("/mapa.salida");
        const QString esperado = archivo + (destino == 1   ? QStringLiteral(".pdf")
                                            : destino == 2 ? QStringLiteral(".png")
                                                           : QStringLiteral(".svg"));
        QFile viejo(esperado);
        QVERIFY(viejo.open(QIODevice::WriteOnly));
        viejo.write("anterior");
        viejo.close();
        DialogoSalida::Opciones o;
        o.destino = static_cast<DialogoSalida::Destino>(destino);
        o.varias = true;
        s.guion().ResponderArchivo(archivo);
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("Se canceló"));
        CancelarElCartel(w.get());
        QVERIFY(!w->Imprimir(o));
        QCOMPARE(s.guion().UltimaCaja().texto, QStringLiteral("Se canceló: no se guardó ningún archivo."));
        QVERIFY(!QFile::exists(esperado + QStringLiteral(".part")));
        QVERIFY(viejo.open(QIODevice::ReadOnly));
        QCOMPARE(viejo.readAll(), QByteArray("anterior"));
        viejo.close();

        // Not cancelled, the same export is written.
        s.guion().ResponderArchivo(esperado);
        QVERIFY(w->Imprimir(o));
        QVERIFY(QFileInfo(esperado).size() > 1000);
        if (destino == 3) {
            QFile svg(esperado);
            QVERIFY(svg.open(QIODevice::ReadOnly));
            const QByteArray dibujo = svg.readAll();
            QVERIFY(dibujo.contains("010203"));
            // The hatching comes as lines in the state's tone, the SVG generator having no patterns.
            const QByteArray tono = PaletaDiagrama(w->palette()).Trama(Estado::Reservado).name().toLatin1();
            const QRegularExpression lineas(QStringLiteral("stroke=\"%1\"[^>]*>\\s*<polyline").arg(QLatin1String(tono)));
            QVERIFY2(lineas.match(QString::fromUtf8(dibujo)).hasMatch(), tono.constData());
        }
        if (destino == 2) QVERIFY(!QImage(esperado).isNull());
    }

    void laVistaPreviaImprimeLaParteVisible() {
        SesionPrueba s;
        auto w = Abrir();
        w->Vista->FijarEscala(1.0);
        w->Vista->centerOn(w->Geometria().RectNodo(w->Layout().Buscar(u"0506")).center());
        const QString pdf = s.base().Carpeta() + QStringLiteral("/vista.pdf");
        s.guion().AlMostrarModal([pdf](QWidget* v) {
            auto* vista = qobject_cast<QPrintPreviewDialog*>(v);
            v->hide();
            QVERIFY(vista);
            vista->printer()->setOutputFormat(QPrinter::PdfFormat);
            vista->printer()->setOutputFileName(pdf);
            Q_EMIT vista->paintRequested(vista->printer());
        });
        DialogoSalida::Opciones o;
        o.todo = false;
        o.papel = Papel::A3;
        QVERIFY(w->Imprimir(o));
        QCOMPARE(PaginasDelPdf(pdf), 1);
        const QString texto = TextosDelPdf(pdf).join(QLatin1Char('\n'));
        QVERIFY(texto.contains(QStringLiteral("050601")));
        QVERIFY(!texto.contains(QStringLiteral("010101")));
        QVERIFY(Ejecutar(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("1191 x 842 pts (A3)")));  // landscape
    }

    // More rows than the banner's threshold are read behind it; cancelling keeps what was shown.
    void lecturaLargaConCartelYCancelar() {
        SesionPrueba s;
        QString error;
        QVERIFY2(demo::GenerarLayout(s.base().Archivo(), QStringLiteral("7"), static_cast<int>(FrmDiagrama::kFilasConCartel) + 1,
                                     &error),
                 qPrintable(error));
        s.Sql(QStringLiteral("UPDATE TA_DEPOSITO SET Descripcion = 'Zona 7' WHERE IdDeposito = '   7'"));
        auto w = Abrir();
        const int central = w->Layout().CantidadPosiciones();
        const int siete = w->CmbDeposito->findText(QStringLiteral("   7"), Qt::MatchEndsWith);
        CancelarElCartel(w.get());
        w->CmbDeposito->setCurrentIndex(siete);
        QCOMPARE(w->Layout().CantidadPosiciones(), central);
        QCOMPARE(w->Deposito(), QStringLiteral("   1"));
        QCOMPARE(w->LblEstado->text(), QStringLiteral("No se leyó el depósito: se muestra la lectura anterior."));
        w->CmbDeposito->setCurrentIndex(siete);
        QCOMPARE(w->Layout().CantidadPosiciones(), static_cast<int>(FrmDiagrama::kFilasConCartel) + 1);
        QVERIFY(!gDisplay().Ventana());
    }
};

const QString TstFrmDiagrama::kAviso = QStringLiteral("Aviso al operador...");

QTEST_MAIN(TstFrmDiagrama)
#include "tst_frmdiagrama.moc"
