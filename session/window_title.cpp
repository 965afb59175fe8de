#include "session/window_title.h"

namespace vm {

namespace {

QString BaseTitle(const WindowTitleInputs& in) {
    if (in.configFromUnit) {
        if (in.unitName.isEmpty()) return kProgramTitle + QStringLiteral(" - [ No Name ]");
        return kProgramTitle + QStringLiteral(" - [ ") + in.unitName + QStringLiteral(" ]");
    }
    if (in.configFromFile)
        return kProgramTitle + QStringLiteral(" - [ ") + in.fileName + QStringLiteral(" ]");
    // The caption stays, without the mark of an earlier state.
    QString caption = in.currentCaption;
    if (caption.endsWith(kModifiedMark)) caption.chop(kModifiedMark.size());
    return caption;
}

} // namespace

QString BuildWindowTitle(const WindowTitleInputs& in) {
    const QString base = BaseTitle(in);
    return in.modified ? base + kModifiedMark : base;
}

} // namespace vm
