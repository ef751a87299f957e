#pragma once

// The monitor window. Data flow:
//
//   serial control --OnComm--> Receiver --S88--> InputState --arbejd--> Panel (lamps, Text5)
//                                  \--> Monitor (Text4)
//   Start/Stop/Afslut/Option1 --> PortControl --> serial control, indicator
//   Indsæt (s) --> CountCommand --> serial control, settings store
//   load --> Startup --> state, indicator, count boxes (from the settings store)
//
// Form1 owns the state and every control, builds the subsystems and connects the controls'
// signals to their handlers; it holds no protocol logic itself. A handler that fails
// without handling the failure itself ends in one place, which reports the error and keeps
// the program running.

#include "formstate.h"
#include "layout.h"

#include <QWidget>
#include <functional>
#include <memory>

class CountCommand;
class MessageSink;
class Monitor;
class Panel;
class PortControl;
class Receiver;
class SerialControl;
class SettingsStore;
class Startup;

class Form1 final : public QWidget {
    Q_OBJECT

public:
    static const QString kCaption;

    Form1(SerialControl& serial, SettingsStore& settings, MessageSink& messages,
          std::function<void()> quit, QWidget* parent = nullptr);
    ~Form1() override;

    // Runs once, before the window is first shown.
    void Form_Load();

    FormState& state() { return m_state; }
    const FormState& state() const { return m_state; }
    const Controls& controls() const { return m_controls; }
    Monitor& monitor() { return *m_monitor; }
    Receiver& receiver() { return *m_receiver; }
    PortControl& portControl() { return *m_portControl; }
    CountCommand& countCommand() { return *m_countCommand; }
    Panel& panel() { return *m_panel; }

    // Describes each port's device in its option button's tooltip.
    void setPortDescriptions(const std::function<QString(int port)>& describe);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectHandlers();
    // Runs a handler; an error it does not handle itself is reported, and the program goes on.
    // A template, so the once-per-byte receive handler is not wrapped in a std::function.
    template <typename Handler> void run(Handler&& handler);
    void report(const QString& error);

    FormState m_state;
    Controls m_controls;
    SerialControl& m_serial;
    MessageSink& m_messages;
    std::unique_ptr<Monitor> m_monitor;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<Receiver> m_receiver;
    std::unique_ptr<PortControl> m_portControl;
    std::unique_ptr<CountCommand> m_countCommand;
    std::unique_ptr<Startup> m_startup;
    bool m_shown = false;
};
