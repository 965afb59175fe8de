#include "session/window_title.h"

namespace vm {

QString BuildWindowTitle(const WindowTitleInputs& in) {
    if (in.configFromUnit) {
        if (in.unitName.isEmpty()) return kProgramTitle + QStringLiteral(" - [ No Name ]");
        return kProgramTitle + QStringLiteral(" - [ ") + in.unitName + QStringLiteral(" ]");
    }
    if (in.configFromFile)
        return kProgramTitle + QStringLiteral(" - [ ") + in.fileName + QStringLiteral(" ]");
    return in.currentCaption;
}

} // namespace vm
