#include "diag/readable.h"

#include <QAbstractButton>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace readable {

void addMnemonics(const QList<QAbstractButton*>& buttons, const QString& taken) {
    QString used = taken.toLower();
    for (QAbstractButton* button : buttons) {
        const QString text = button->text();
        if (text.contains(u'&'))
            continue;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i].toLower();
            if (!c.isLetter() || used.contains(c))
                continue;
            used += c;
            button->setText(text.left(i) + u'&' + text.mid(i));
            break;
        }
    }
}

void chainTabs(const QList<QWidget*>& widgets) {
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

namespace {
int grown(QSize window, int points) {
    const double scale = std::min(window.width() / 820.0, window.height() / 640.0);
    return std::clamp(int(std::lround(points * scale)), points, 160);
}
} // namespace

int requestPoints(QSize window) {
    return grown(window, 30);
}

int lastPoints(QSize window) {
    return grown(window, 16);
}

} // namespace readable
