#include "receive/monitor.h"

#include <array>

namespace {
// Decimal texts of all byte values, made once: no per-byte formatting or allocation.
struct Table {
    std::array<QString, 256> value;
    std::array<QString, 2> separator{QStringLiteral(" - - "), QStringLiteral(" + ")};
    Table() {
        for (int v = 0; v < 256; ++v)
            value[std::size_t(v)] = QString::number(v);
    }
};
const Table& table() {
    static const Table t;
    return t;
}
} // namespace

const QString& Monitor::valueText(quint8 value) {
    return table().value[value];
}

const QString& Monitor::separatorText(Separator separator) {
    return table().separator[std::size_t(separator)];
}

QString Monitor::text() const {
    QString out;
    out.reserve(qsizetype(m_appended - firstKept()) * 8);
    for (quint64 i = firstKept(); i < m_appended; ++i) {
        const quint16 e = entry(i);
        out += valueText(valueOf(e));
        out += separatorText(separatorOf(e));
    }
    return out;
}
