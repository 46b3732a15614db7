#pragma once

#include "link/PortSetup.h"
#include "platform/SerialComponent.h"

// Why the port is opened. The user's choice opens a device another program holds, as the user
// asked; a port that comes back while it is waited for is taken only if no other program holds
// it, since its number may by then lead to someone else's terminal.
enum class OpenFor { UserChoice, DeviceReturned };

// Opens the port with these parameters: closes it if open, hands over every setting while it is
// closed, in a fixed order, and opens it last. The first refusal ends it and is returned; the
// port may then be left closed with some settings already taken.
[[nodiscard]] SerialResult openPort(SerialComponent &port, const PortParameters &parameters,
                                    OpenFor purpose = OpenFor::UserChoice);

[[nodiscard]] SerialResult closeIfOpen(SerialComponent &port);
