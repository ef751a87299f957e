#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

class QPlainTextEdit;

// The receive monitor. Its content is the exact stream of entries (a byte's value in decimal,
// then a separator), of which the newest kKeep characters at least are kept. The widget is
// brought up to date at most once per frame, with lines broken only between entries, so
// appending costs the same after an hour as after a second.
class Monitor final : public QObject {
    Q_OBJECT

public:
    enum class Separator : quint8 { Echo, Burst }; // " - - " and " + "

    static constexpr qsizetype kKeep = 64 * 1024;
    static constexpr int kFrameMs = 16;

    explicit Monitor(QPlainTextEdit& view, QObject* parent = nullptr);

    void append(quint8 value, Separator separator);
    // The whole kept stream, oldest first.
    const QString& text() const { return m_text; }
    // Writes what is pending to the widget now (otherwise done by the frame timer).
    void flush();

private:
    void measure();

    QPlainTextEdit& m_view;
    QString m_text;
    QString m_chunk;                // reused for each flush
    std::vector<quint16> m_pending; // value | separator << 8, not yet in the widget
    QTimer m_frame;
    std::array<int, 256> m_valueWidth{};
    std::array<int, 2> m_separatorWidth{};
    int m_lineWidth = 0; // pixels used on the widget's last line
    int m_maxLineWidth = 0;
};
