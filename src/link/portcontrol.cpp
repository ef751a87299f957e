#include "link/portcontrol.h"

#include "state/messagesink.h"
#include "state/serialcontrol.h"

PortControl::PortControl(FormState& state, IndicatorSink indicator, SerialControl& serial,
                         std::array<QAbstractButton*, 8> options, MessageSink& messages,
                         std::function<void()> quit)
    : m_state(state), m_indicator(std::move(indicator)), m_serial(serial), m_options(options),
      m_messages(messages), m_quit(std::move(quit)) {}

// The handlers catch nothing: a refused open or close leaves the indicator and PortStarted as
// they stand at that statement, and the caller reports the serial layer's error.

void PortControl::Command3_Click() {
    if (m_state.PortStarted != 1)
        m_serial.setPortOpen(true);
    m_indicator(LinkIndicator::Started);
    m_state.PortStarted = 1;
}

void PortControl::Command4_Click() {
    if (m_state.PortStarted != 0)
        m_serial.setPortOpen(false);
    m_indicator(LinkIndicator::Stopped);
    m_state.PortStarted = 0;
}

void PortControl::Command5_Click() {
    if (m_serial.PortOpen())
        m_serial.setPortOpen(false);
    m_state.PortStarted = 0;
    m_quit();
}

void PortControl::Option1_Click(int /*index*/) {
    bool restart = false;
    if (m_state.PortStarted == 1) {
        m_serial.setPortOpen(false);
        m_indicator(LinkIndicator::NotStarted);
        m_state.PortStarted = 0;
        restart = true;
    }
    // The buttons form one exclusive group, so the checked one is the one clicked.
    for (int j = 0; j < int(m_options.size()); ++j) {
        if (m_options[j]->isChecked())
            m_serial.setCommPort(j + 1);
    }
    if (restart)
        Command3_Click();
}

void PortControl::MSComm1_PortLost(const QString& error) {
    if (m_state.PortStarted == 0)
        return; // stopped by the user meanwhile
    m_state.PortStarted = 0;
    m_indicator(LinkIndicator::Stopped);
    m_messages.MsgBox(error);
}
