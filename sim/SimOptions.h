#pragma once

#include "GearCycle.h"
#include "Replug.h"
#include "Schedule.h"
#include "StatusRecords.h"

#include <QString>

#include <cstdint>
#include <string>
#include <variant>

class QCommandLineParser;

namespace gearsim {

// Everything the command line chooses.
struct SimOptions {
    std::string device;  // a serial device to open; empty: a new pseudo-terminal
    std::string linkDir; // where to link the pseudo-terminal as comN; empty: no link
    int port = 0;        // the N of comN
    ConfigFlags config;
    LegTiming legs;
    std::string firmwareVersion = "SIM-1.0";
    std::uint64_t startCount = 0;
    Pace pace;
    bool garbage = false;
    Timeline timeline;
    Replug replug;
    bool verbose = false;
    std::string replayFile;   // a recording to send instead of playing the gear cycle
    double replaySpeed = 1.0; // how much faster than recorded
};

// Declares every option with its help text.
void addSimOptions(QCommandLineParser &parser);

// Reads and checks the options of a parser that has parsed the command line; an error text when
// a value is unusable or options contradict each other.
std::variant<SimOptions, QString> readSimOptions(const QCommandLineParser &parser);

} // namespace gearsim
