// Writes the monitor's icon files, the same picture the program carries built in:
//   make-icon OUTPUT.ico              the icon file loaded from the program's folder at start
//   make-icon --hicolor FOLDER NAME   FOLDER/NxN/apps/NAME.png at the desktop's usual sizes
#include "ui/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

bool write(const QImage &image, const QString &path, const char *format) {
    QImageWriter writer(path, format);
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "make-icon: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

bool writeHicolor(const QString &folder, const QString &name) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString sizeFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(sizeFolder) ||
            !write(drawAppIcon(size), sizeFolder + QLatin1Char('/') + name + ".png", "png"))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 1)
        return write(drawAppIcon(32), args[0], "ico") ? 0 : 1;
    if (args.size() == 3 && args[0] == QLatin1String("--hicolor"))
        return writeHicolor(args[1], args[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: make-icon OUTPUT.ico | make-icon --hicolor FOLDER NAME\n");
    return 2;
}
