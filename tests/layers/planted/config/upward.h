#pragma once
// Fixture: a configuration file that reaches up into the session layer.
#include "session/unit_session.h"
