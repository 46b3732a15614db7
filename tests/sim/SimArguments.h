#pragma once

// gear-sim's options as its command line gives them, for the simulator's tests.
#include "SimOptions.h"

#include <QCommandLineParser>
#include <QStringList>

#include <variant>

inline std::variant<gearsim::SimOptions, QString> parseSimArguments(const QStringList &arguments) {
    QCommandLineParser parser;
    gearsim::addSimOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("gear-sim")} + arguments))
        return parser.errorText();
    return gearsim::readSimOptions(parser);
}
