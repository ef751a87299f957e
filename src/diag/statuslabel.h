#pragma once

#include <QLabel>

// A one-line label whose text changes while data streams. A plain label lays its text out
// again for the layout at every change (a rich text as a whole document); this one answers
// the layout with the height of its first line, so a change costs the layout nothing and the
// line keeps its place.
class StatusLabel final : public QLabel {
public:
    using QLabel::QLabel;

    // The parts of a line, as rich text (`html`) and as plain text (`plain`, the same parts),
    // joined by `separator` and cut to `width` pixels of `fm`: whole parts while they fit, then
    // "…", so a line never ends part-way through a number. *cut says whether any part was left
    // out (or, when even the first does not fit, cut).
    static QString fitParts(const QStringList& html, const QStringList& plain,
                            const QString& separator, const QFontMetrics& fm, int width, bool* cut);

    QSize sizeHint() const override { return hint(); }
    QSize minimumSizeHint() const override { return hint(); }

protected:
    void changeEvent(QEvent* event) override;

private:
    QSize hint() const;

    mutable int m_height = -1; // a line's, once asked
};
