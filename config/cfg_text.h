#pragma once
// A .cfg file's text split into sections and key=value entries, each with its
// line number, so that a refusal can say where. Section and key names compare
// without regard to case; blanks around names and values do not count; lines
// starting with ';' or '#' are comments. Values of known keys land in their
// slots (cfg_keys.h); keys this program does not know are passed over.
#include <QByteArrayView>
#include <QString>
#include <vector>

namespace vm {

struct CfgValue {
    QStringView text; // into the CfgText
    int line = 0;     // 0: the file lacks the key
};

class CfgText {
public:
    explicit CfgText(QByteArrayView bytes);

    // Why the bytes are no text at all ("empty file", a control character),
    // with its line (0 when none); empty when they are text.
    const QString& fault() const { return fault_; }
    int faultLine() const { return faultLine_; }

    // The first line that is neither blank, a comment, a [section] nor
    // key=value, or that repeats a known key; line 0 when none.
    const QString& lineProblem() const { return lineProblem_; }
    int lineProblemLine() const { return lineProblemLine_; }

    // The value of the key in `slot`, or nullptr when the file lacks it.
    const CfgValue* At(int slot) const;
    // Whether the file has a section (cfg::FindSection's number) at all.
    bool HasSection(int section) const {
        return section >= 0 && section < 32 && (sections_ >> section & 1u) != 0;
    }

private:
    void Split();
    void SetLineProblem(int line, QString problem);

    QString text_;
    std::vector<CfgValue> slots_;
    quint32 sections_ = 0; // bit per known section
    QString fault_;
    int faultLine_ = 0;
    QString lineProblem_;
    int lineProblemLine_ = 0;
};

} // namespace vm
