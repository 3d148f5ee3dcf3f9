// A program that leaks on purpose, from a slot run by the event loop as the program's own code runs:
// the leak checker must report it. Run by CTest as a test that is expected to fail, so that a
// suppression file broad enough to hide the program's leaks fails the suite.
#include <QCoreApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTimer::singleShot(0, [] {
        for (int i = 0; i < 1000; ++i) new QTimer;
        QCoreApplication::quit();
    });
    return app.exec();
}
