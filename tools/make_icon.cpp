// Writes the monitor's icon file, the same picture the program carries built in.
#include "ui/AppIcon.h"

#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icon OUTPUT.ico\n");
        return 2;
    }
    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "ico");
    if (!writer.write(drawAppIcon(32))) {
        std::fprintf(stderr, "make-icon: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
