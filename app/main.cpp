#include "platform/QtHost.h"
#include "ui/Form1.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gear-monitor"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    QtHost host;
    Form1 window(host);
    host.setDialogParent(&window);
    window.show();
    return app.exec();
}
