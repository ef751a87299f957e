#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A failure of a platform layer (the serial port, the settings store); the text is the
// layer's own words, ready to show.
class PlatformError : public std::exception {
public:
    explicit PlatformError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const char* what() const noexcept override { return m_utf8.constData(); }
    const QString& message() const { return m_message; }

private:
    QString m_message;
    QByteArray m_utf8;
};
