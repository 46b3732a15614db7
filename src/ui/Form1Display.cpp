// The tick, the link watchdog, the indicator panel and the serial data view.
#include "ui/Form1.h"

#include "display/Colours.h"
#include "display/IndicatorPanel.h"
#include "link/StartupSequence.h"
#include "link/Watchdog.h"
#include "platform/Logging.h"

#include <QLabel>
#include <QPushButton>

void Form1::Timer1_Timer() {
    logTick();
    if (hold_.holdTick())
        return;
    const MessageBoxHold::TickScope running(hold_);
    RunStartupStep();

    const WatchdogStep step = watchdogTick(state_.LinkSilenceCount);
    state_.LinkSilenceCount = step.count;
    recordTick(step.band);
    if (step.band != LinkBand::Live) {
        // Stale keeps the last picture; only the link indicator says something is wrong.
        setBackground(ControlId::LG_CommOK, Colour::Red);
        if (step.band == LinkBand::Failed)
            ShowLinkFailed();
        return;
    }
    setBackground(ControlId::LG_CommOK, Colour::BrightGreen);
    label(ControlId::CommFail)->hide();
    RepaintPanel();
}

void Form1::RunStartupStep() {
    switch (startupTick(state_.TickCount)) {
    case StartupStage::BuildPortMenu:
        LoadPortSettings();
        break;
    case StartupStage::ReadSettings:
        state_.LoadRequested = true;
        LoadSaveFiles();
        break;
    case StartupStage::OpenPort:
        StartLGPort();
        break;
    case StartupStage::None:
        break;
    }
}

void Form1::ResetPort_Click() {
    endReconnectWait();
    state_.TickCount = kResetPortTickCount;
}

// The decoded state is left alone: only what the panel shows changes, and the notice blinks.
void Form1::ShowLinkFailed() {
    for (const PropertyWrite &write : linkFailedWrites())
        apply(write);
    QLabel *notice = label(ControlId::CommFail);
    notice->setVisible(notice->isHidden());
}

void Form1::RepaintPanel() {
    for (const PropertyWrite &write : repaintPanelWrites(state_))
        apply(write);
}

void Form1::ScrollSerialView(const QString &line) {
    for (int i = kSerialViewLines - 1; i >= 1; --i)
        label(serialLine(i))->setText(label(serialLine(i - 1))->text());
    label(serialLine(0))->setText(line);
}

void Form1::FreezeButton_Click() {
    state_.SerialViewFrozen = !state_.SerialViewFrozen;
    freezeButton()->setText(state_.SerialViewFrozen ? QStringLiteral("CONTINUE")
                                                    : QStringLiteral("FREEZE"));
}

// Showing the view always unfreezes it; hiding leaves the freeze state as it is.
void Form1::Show_Menu_Click() {
    QWidget *view = control(ControlId::Frame10);
    if (!view->isHidden()) {
        view->hide();
        return;
    }
    view->show();
    view->raise();
    state_.SerialViewFrozen = false;
    freezeButton()->setText(QStringLiteral("FREEZE"));
}
