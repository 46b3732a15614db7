#pragma once

#include "link/PortSettings.h"

#include <QString>

#include <cstdint>

// The numeric value of a text: leading blanks skipped, then the longest leading run that reads as
// a decimal number (optional sign, digits, optional decimal point); 0 when it does not start so.
double numericValue(const QString &text);

// What the port settings become for the serial component. Every value outside its set falls back
// (parity none, one stop bit, no flow control, 8 data bits); names are compared whole and exactly.
struct PortParameters {
    double portNumber = 0; // "Com12" gives 12; "None/Reset" and empty give 0
    double speed = 0;
    int16_t parity = 0;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int16_t stopBits = 0;    // 0 one, 1 one and a half, 2 two
    int16_t flowControl = 0; // 0 none, 1 RTS/CTS, 2 DSR/DTR, 4 Xon/Xoff
    int16_t dataBits = 8;
};

double portNumberOf(const QString &name);
int16_t parityCode(const QString &parity);
int16_t stopBitsCode(const QString &stopBits);
int16_t flowControlCode(const QString &flow);
int16_t dataBitsOf(const QString &dataLength);
PortParameters portParameters(const PortSettingsRecord &settings);

inline const QString kNoPortName = QStringLiteral("None/Reset");
