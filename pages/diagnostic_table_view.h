#pragma once
// One diagnostics table drawn with QPainter in its design size (fixed column
// widths, 44-pixel header, 22-pixel rows) and scaled to the space it is given.
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace vm {

struct DiagColumn {
    int width;
    QString header1;
    QString header2;
};

struct DiagTableCell {
    QString text;
    bool red = false;
};

class DiagnosticTableView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 44;
    static constexpr int kRowHeight = 22;

    // cells(row) gives the row's cells, column 0 (the name) first; the rest
    // may be missing for a row the unit never sent.
    using CellSource = std::function<std::vector<DiagTableCell>(int row)>;

    DiagnosticTableView(QSize designSize, std::vector<DiagColumn> columns, int rows, CellSource cells,
                        QWidget* parent = nullptr);

    QSize sizeHint() const override { return design_; }
    QSize minimumSizeHint() const override { return design_ / 2; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    // Draws into any painter in design coordinates (tests render offscreen).
    void DrawTable(QPainter& painter) const;
    // The scale the design is drawn at in the widget's present size.
    double scale() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize design_;
    std::vector<DiagColumn> columns_;
    int rows_;
    CellSource cells_;
};

} // namespace vm
