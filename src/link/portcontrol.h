#pragma once

#include "state/formstate.h"

#include <QAbstractButton>
#include <array>
#include <functional>

class MessageSink;
class SerialControl;

// What the link indicator shows; the window maps each value to its colour.
enum class LinkIndicator { NotStarted, Started, Stopped };
using IndicatorSink = std::function<void(LinkIndicator)>;

// Start, Stop, Afslut and the choice of port, with the link indicator.
class PortControl {
public:
    PortControl(FormState& state, IndicatorSink indicator, SerialControl& serial,
                std::array<QAbstractButton*, 8> options, MessageSink& messages,
                std::function<void()> quit);

    void Command3_Click(); // Start
    void Command4_Click(); // Stop
    void Command5_Click(); // Afslut
    void Option1_Click(int index);
    // The open port failed underneath: the link stops, the lamps stay as they are.
    void MSComm1_PortLost(const QString& error);

private:
    FormState& m_state;
    IndicatorSink m_indicator;
    SerialControl& m_serial;
    std::array<QAbstractButton*, 8> m_options;
    MessageSink& m_messages;
    std::function<void()> m_quit;
};
