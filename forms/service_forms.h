#pragma once
// The window of each service tool: made on demand, run modally by the main
// window (published to the dispatcher while shown), destroyed when it closes.
#include "tools/service_tools.h"

#include <QDialog>
#include <memory>

namespace vm {

struct ServiceWindow {
    std::unique_ptr<QDialog> dialog;
    PacketReceiver* receiver = nullptr; // fed while shown, when the tool has a slot
};

// Null while the tool has no window yet.
using ServiceFormFactory = ServiceWindow (*)(ServiceContext& context, QWidget* parent);
ServiceFormFactory ServiceFormOf(ServiceTool tool);

} // namespace vm
