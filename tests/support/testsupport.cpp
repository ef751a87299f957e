#include "support/testsupport.h"

void ScriptedSerialControl::deliver(const QByteArray& bytes) {
    m_input.append(bytes);
    drain();
}

void ScriptedSerialControl::lose(const QString& error) {
    m_open = false;
    emit PortLost(error);
}

void ScriptedSerialControl::setPortOpen(bool open) {
    if (open) {
        if (failOpen)
            throw PlatformError(*failOpen);
        ++opens;
        openedPorts << m_port;
    } else {
        if (failClose)
            throw PlatformError(*failClose);
        ++closes;
    }
    m_open = open;
}

void ScriptedSerialControl::Output(const QByteArray& bytes) {
    if (!m_open)
        throw PlatformError(QStringLiteral("port closed"));
    if (failOutput)
        throw PlatformError(*failOutput);
    output.append(bytes);
}

bool ScriptedSerialControl::waitForInput(int) {
    ++m_waits;
    if (!m_arrivals.isEmpty())
        m_input.append(m_arrivals.takeFirst());
    return InBufferCount() > 0;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}
