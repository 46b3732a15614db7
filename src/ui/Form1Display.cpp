// The tick, the link watchdog, the indicator panel and the serial data view.
#include "ui/Form1.h"

#include "display/Colours.h"
#include "display/IndicatorPanel.h"
#include "link/StartupSequence.h"
#include "link/Watchdog.h"
#include "platform/Logging.h"
#include "platform/SerialComponent.h"

#include <QLabel>

void Form1::Timer1_Timer() {
    logTick();
    // Every line the system holds for the port is counted before the tick counts silence.
    if (MSPort1)
        MSPort1->readWaiting();
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
        if (step.band == LinkBand::Failed) {
            ShowLinkFailed();
            announceLinkFailure(true);
        }
        return;
    }
    setBackground(ControlId::LG_CommOK, Colour::BrightGreen);
    label(ControlId::CommFail)->hide();
    announceLinkFailure(false);
    RepaintPanel();
}

void Form1::RunStartupStep() {
    switch (startupTick(state_.TickCount)) {
    case StartupStage::BuildPortMenu:
        LoadPortSettings();
        break;
    case StartupStage::ReadSettings:
        // Whatever this read finds, saves from now on write what the record holds.
        state_.SettingsRead = true;
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
    // The help text goes to the serial view's lines, which reach its labels when they can be seen.
    for (const PropertyWrite &write : linkFailedWrites())
        if (!isSerialLine(write.control))
            apply(write);
    serialLines_.replaceAll(portHelpText());
    serialViewChanged();
    QLabel *notice = label(ControlId::CommFail);
    notice->setVisible(notice->isHidden());
}

void Form1::RepaintPanel() {
    for (const PropertyWrite &write : repaintPanelWrites(state_))
        apply(write);
}
