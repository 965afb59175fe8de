#pragma once
// Fixture: the simulated unit may use the protocol only.
#include "protocol/link_packet.h"
#include "link/usb_thread.h"
