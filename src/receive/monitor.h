#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// The receive monitor's content: the exact stream of entries (a byte's value in decimal, then
// a separator), of which the newest kKeepEntries are kept, at least kKeep characters since no
// entry is shorter than four. An append stores a two-byte code in a ring; text is made only
// for what is shown, so appending costs the same after an hour as after a second.
class Monitor {
public:
    enum class Separator : quint8 { Echo, Burst }; // " - - " and " + "

    static constexpr qsizetype kKeep = 64 * 1024;
    static constexpr qsizetype kKeepEntries = kKeep / 4;

    Monitor() : m_ring(std::size_t(kKeepEntries)) {}

    void append(quint8 value, Separator separator) {
        m_ring[std::size_t(m_appended % kKeepEntries)] = quint16(value | (quint16(separator) << 8));
        ++m_appended;
    }
    // Entries appended since the monitor was made.
    quint64 entries() const { return m_appended; }
    // The oldest entry still kept.
    quint64 firstKept() const {
        return m_appended > quint64(kKeepEntries) ? m_appended - kKeepEntries : 0;
    }
    // Entry i (firstKept() <= i < entries()) as value | separator << 8.
    quint16 entry(quint64 i) const { return m_ring[std::size_t(i % kKeepEntries)]; }
    static quint8 valueOf(quint16 entry) { return quint8(entry & 0xff); }
    static Separator separatorOf(quint16 entry) { return Separator(entry >> 8); }

    // The texts of every byte value and both separators, made once.
    static const QString& valueText(quint8 value);
    static const QString& separatorText(Separator separator);

    // The kept stream, oldest entry first.
    QString text() const;

private:
    std::vector<quint16> m_ring; // value | separator << 8
    quint64 m_appended = 0;
};
