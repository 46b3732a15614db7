#pragma once

#include "link/PortSetup.h"
#include "platform/SerialComponent.h"

// Opens the port with these parameters: closes it if open, hands over every setting while it is
// closed, in a fixed order, and opens it last. The first refusal ends it and is returned; the
// port may then be left closed with some settings already taken.
[[nodiscard]] SerialResult openPort(SerialComponent &port, const PortParameters &parameters);

[[nodiscard]] SerialResult closeIfOpen(SerialComponent &port);
