#include "diag/statuslabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStringList>

QSize StatusLabel::hint() const {
    if (m_height < 0)
        m_height = QLabel::sizeHint().height(); // a label's line is as high empty as not
    return {0, m_height};                       // the width is the layout's to give
}

void StatusLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
        m_height = -1;
        updateGeometry();
        break;
    default:
        break;
    }
}

QString StatusLabel::fitParts(const QStringList& html, const QStringList& plain,
                              const QString& separator, const QFontMetrics& fm, int width,
                              bool* cut) {
    const QString whole = plain.join(separator);
    *cut = width > 0 && fm.horizontalAdvance(whole) > width;
    if (!*cut)
        return html.join(separator);
    const QString more = separator + QStringLiteral("…");
    QString shown;
    QStringList kept;
    for (qsizetype i = 0; i < plain.size() && i < html.size(); ++i) {
        const QString next = shown.isEmpty() ? plain[i] : shown + separator + plain[i];
        if (fm.horizontalAdvance(next + more) > width)
            break;
        shown = next;
        kept << html[i];
    }
    if (kept.isEmpty())
        return fm.elidedText(whole, Qt::ElideRight, width).toHtmlEscaped();
    return kept.join(separator) + more;
}
