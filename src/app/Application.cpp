#include "app/Application.h"

#include <QApplication>
#include <QMainWindow>

int RunApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvanta"));
    QMainWindow frame;
    frame.setWindowTitle(QString::fromUtf8("Corvanta／販売"));
    frame.resize(1024, 720);
    frame.show();
    return app.exec();
}
