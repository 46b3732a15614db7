#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class SerialComponent;

// Everything the window needs of the machine it runs on, behind one seam so tests can answer
// message boxes, keep quiet, and run the program from a temporary folder.
class Host {
public:
    virtual ~Host() = default;

    // A modal box with one OK button, no icon and no title of its own; returns once dismissed.
    virtual void showMessage(const QString &text) = 0;
    virtual void beep() = 0;
    // Let the events already waiting run (painting, received data, ticks).
    virtual void processEvents() = 0;
    // The folder that holds the program's executable, without a trailing separator.
    virtual QString programFolder() const = 0;
    // The folder of the settings file and the comN links: the program's own, unless the program
    // is installed where it may not keep them.
    virtual QString settingsFolder() const { return programFolder(); }
    // Creates the settings folder if it is missing, just before the settings file is written.
    virtual void makeSettingsFolder() {}
    virtual QDateTime now() const = 0;
    // A new serial component, port closed; null when none can be made.
    virtual std::unique_ptr<SerialComponent> createSerialComponent() = 0;
};
