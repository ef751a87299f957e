#pragma once

#include <QLabel>

// A one-line label whose text changes while data streams. A plain label lays its text out
// again for the layout at every change (a rich text as a whole document); this one answers
// the layout with the height of its first line, so a change costs the layout nothing and the
// line keeps its place.
class StatusLabel final : public QLabel {
public:
    using QLabel::QLabel;

    QSize sizeHint() const override { return hint(); }
    QSize minimumSizeHint() const override { return hint(); }

protected:
    void changeEvent(QEvent* event) override;

private:
    QSize hint() const;

    mutable int m_height = -1; // a line's, once asked
};
