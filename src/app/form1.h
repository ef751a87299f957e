#pragma once

// The monitor window. Data flow (the receive core is a Station: history/station.h):
//
//   serial control --OnComm--> Receiver --S88--> InputState --arbejd--> Panel (lamps, Text5)
//         |                        \--> Monitor ring --> MonitorView (Text4)
//         |                        \--observer--> ChangeHistory (events, statistics)
//         \--tap (bytes in and out), port changes--> Recorder (--record, "Optag")
//   Panel, MonitorView --requestFrame--> FrameGate --paintFrame, at most once a frame--> screen
//   ChangeHistory --forEachNew--> HistoryList, ChangeFeed (walk test, reading aloud), CSV
//   Start/Stop/Afslut/Option1 --> PortControl --> serial control, LinkIndicator --> Shape1
//   Indsæt (s) --> CountCommand --> serial control, settings store
//   load --> Startup --> state, LinkIndicator, count boxes (from the settings store)
//   ChangeHistory, InputState --> Bridge (--mqtt or "MQTT") --> MQTT broker; the link and counts
//   too
//
// The rooms under src/, what each holds and may use: docs/architecture.md (the one map).
//
// Form1 owns the station and every control, builds the subsystems and connects the controls'
// signals to their handlers; it holds no protocol logic itself. A handler that fails
// without handling the failure itself ends in one place, which reports the error and keeps
// the program running.

#include "app/layout.h"
#include "link/portcontrol.h"
#include "state/formstate.h"

#include <QKeySequence>
#include <QWidget>
#include <functional>
#include <memory>

class Bridge;
class BridgeControl;
class ChangeHistory;
class Station;
class CountCommand;
class DiagArea;
class FrameGate;
class MessageSink;
class Monitor;
class MonitorView;
class MqttWindow;
class Panel;
class PortControl;
class Receiver;
class Recorder;
class ReplaySession;
class SerialControl;
class SettingsStore;
class Startup;
class WindowRefresh;

class Form1 final : public QWidget {
    Q_OBJECT

public:
    static QString caption(); // "Test af VornS88 indgangsmodul" in the window's language
    // The link indicator's fill for what the link reports (0xBBGGRR).
    static int indicatorColour(LinkIndicator shown);

    Form1(SerialControl& serial, SettingsStore& settings, MessageSink& messages,
          std::function<void()> quit, QWidget* parent = nullptr);
    ~Form1() override;

    // Runs once, before the window is first shown.
    void Form_Load();

    // The receive core: state, monitor, receiver, history, recorder, names, counts, rate.
    Station& station() { return *m_station; }
    FormState& state();
    const FormState& state() const;
    const Controls& controls() const { return m_controls; }
    const Monitor& monitor() const;
    MonitorView& monitorView() { return *m_controls.Text4; }
    // Every view of the window is painted through it.
    FrameGate& frameGate() { return *m_frameGate; }
    Receiver& receiver();
    Panel& panel() { return *m_panel; }
    ChangeHistory& history();
    Recorder& recorder();
    DiagArea& diagnostics() { return *m_diag; }

    // Feeds the bridge the link's state and the counts sent, lets it send counts (with
    // --mqtt-commands) and shows its state in the module check's tooltip. Null: none.
    void setBridge(Bridge* bridge);
    // Starts, restarts and stops the bridge: from --mqtt or the stored MQTT setting.
    BridgeControl& mqtt() { return *m_mqtt; }
    // "MQTT": the setting's window, made on first use and shown; "Anvend" restarts the bridge.
    MqttWindow& openMqtt();

    // Plays the recording `path` that the virtual module behind `port` replays: the change
    // history, the unstable rule, the list and the markers run on the recording's clock, and
    // the diagnostics area shows the replay. False with a one-line reason.
    bool replay(const QString& path, int port, QString* error);

    // The colour help: a light ring on active lamps, a warning sign in the rings of unstable
    // ones.
    void setColourHelp(bool on);

    // The keys of the window's own buttons, whose captions carry no mnemonic.
    static QKeySequence startKey() { return QKeySequence(Qt::Key_F5); }
    static QKeySequence stopKey() { return QKeySequence(Qt::Key_F6); }
    static QKeySequence insertKey() { return QKeySequence(Qt::Key_F7); }
    static QKeySequence quitKey() { return QKeySequence(Qt::CTRL | Qt::Key_Q); }
    // Alt+1 .. Alt+8 choose port 1..8.
    static QKeySequence portKey(int port) { return QKeySequence(Qt::ALT | (Qt::Key_0 + port)); }

    // Describes each port's device in its option button's tooltip.
    void setPortDescriptions(const std::function<QString(int port)>& describe);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectHandlers();
    void connectKeys();
    // Runs a handler; an error it does not handle itself is reported, and the program goes on.
    // A template, so the once-per-byte receive handler is not wrapped in a std::function.
    template <typename Handler> void run(Handler&& handler);
    void report(const QString& error);
    // A port handler, after which the recording notes where the port stands.
    template <typename Handler> void runPort(Handler&& handler);

    // Made before the controls: the monitor box shows its monitor.
    std::unique_ptr<Station> m_station;
    std::unique_ptr<FrameGate> m_frameGate;
    Controls m_controls;
    SerialControl& m_serial;
    MessageSink& m_messages;
    SettingsStore& m_settings;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<WindowRefresh> m_refresh;
    std::unique_ptr<PortControl> m_portControl;
    std::unique_ptr<CountCommand> m_countCommand;
    std::unique_ptr<Startup> m_startup;
    std::unique_ptr<ReplaySession> m_replay;
    std::unique_ptr<DiagArea> m_diag;      // last: it reads the history and the recorder
    std::unique_ptr<BridgeControl> m_mqtt; // after the history and the diagnostics it feeds
    MqttWindow* m_mqttWindow = nullptr;
    Bridge* m_bridge = nullptr;
    bool m_shown = false;
};
