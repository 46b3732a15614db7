#include "platform/QtHost.h"

#include "platform/QtSerialComponent.h"

#include <QApplication>
#include <QMessageBox>

void QtHost::showMessage(const QString &text) {
    // One OK button, no icon; the title is the program's own name.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Landing Gear Controller Monitor"), text,
                    QMessageBox::Ok, parent_);
    // Messages carry paths, device names and link targets: shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtHost::beep() {
    QApplication::beep();
}

void QtHost::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QString QtHost::programFolder() const {
    return QCoreApplication::applicationDirPath();
}

QDateTime QtHost::now() const {
    return QDateTime::currentDateTime();
}

// Ports are numbered by the comN links in the program's folder and the system's own ports.
std::unique_ptr<SerialComponent> QtHost::createSerialComponent() {
    return std::make_unique<QtSerialComponent>(programFolder());
}
