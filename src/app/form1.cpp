#include "app/form1.h"

#include "app/bridgecontrol.h"
#include "app/mqttwindow.h"
#include "app/replaysession.h"
#include "app/startup.h"
#include "bridge/bridge.h"
#include "diag/diagarea.h"
#include "frame/framegate.h"
#include "history/changehistory.h"
#include "history/recorder.h"
#include "history/station.h"
#include "link/countcommand.h"
#include "link/portcontrol.h"
#include "panel/lamp.h"
#include "panel/monitorview.h"
#include "panel/panel.h"
#include "panel/shape.h"
#include "receive/monitor.h"
#include "receive/receiver.h"
#include "serial/countvalue.h"
#include "state/messagesink.h"
#include "state/serialcontrol.h"
#include "state/viewsettings.h"

#include <QDateTime>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

QString Form1::caption() {
    return tr("Test af VornS88 indgangsmodul");
}

int Form1::indicatorColour(LinkIndicator shown) {
    switch (shown) {
    case LinkIndicator::NotStarted:
        return Shape::kNotStarted;
    case LinkIndicator::Started:
        return Shape::kStarted;
    case LinkIndicator::Stopped:
        return Shape::kStopped;
    }
    return Shape::kNotStarted;
}

// Every receive event ends with the panel refresh; the screen follows with the next frame.
class WindowRefresh final : public Refresh {
public:
    WindowRefresh(Panel& panel, MonitorView& monitor) : m_panel(panel), m_monitor(monitor) {}
    void arbejd() override {
        m_panel.arbejd();
        m_monitor.schedule();
    }

private:
    Panel& m_panel;
    MonitorView& m_monitor;
};

template <typename Handler> void Form1::run(Handler&& handler) {
    try {
        handler();
    } catch (const PlatformError& e) {
        report(e.message());
    } catch (const std::exception& e) {
        report(QString::fromLocal8Bit(e.what()));
    }
}

template <typename Handler> void Form1::runPort(Handler&& handler) {
    run(std::forward<Handler>(handler));
    m_station->watchPort();
    m_station->recorder().notePort(m_serial.CommPort(), m_serial.PortOpen());
    if (m_bridge)
        m_bridge->setLink(m_serial.PortOpen() ? Bridge::Link::Started : Bridge::Link::Stopped);
    if (m_replay)
        m_replay->notePort(m_serial.CommPort(), m_serial.PortOpen());
}

Form1::Form1(SerialControl& serial, SettingsStore& settings, MessageSink& messages,
             std::function<void()> quit, QWidget* parent)
    : QWidget(parent), m_station(std::make_unique<Station>(serial)),
      m_frameGate(std::make_unique<FrameGate>()),
      m_controls(layout::build(*this, m_station->monitor())), m_serial(serial),
      m_messages(messages), m_settings(settings) {
    setWindowTitle(caption());
    setWindowIcon(QIcon(QStringLiteral(":/icon.xpm")));
    setObjectName(QStringLiteral("Form1"));

    Controls& c = m_controls;
    m_frameGate->add(*c.Text4);
    FormState& state = m_station->state();
    m_panel = std::make_unique<Panel>(state, *c.Text5, c.Lampe, *m_frameGate);
    m_refresh = std::make_unique<WindowRefresh>(*m_panel, *c.Text4);
    m_station->setRefresh(m_refresh.get());
    const IndicatorSink showIndicator = [shape = c.Shape1](LinkIndicator shown) {
        shape->setFillColor(indicatorColour(shown));
    };
    std::array<QAbstractButton*, 8> options{};
    std::copy(c.Option1.begin(), c.Option1.end(), options.begin());
    m_portControl = std::make_unique<PortControl>(state, showIndicator, serial, options, messages,
                                                  std::move(quit));
    m_countCommand = std::make_unique<CountCommand>(state, *c.Text1, *c.Text2, *c.Text3, serial,
                                                    settings, messages);
    m_startup = std::make_unique<Startup>(state, showIndicator, *c.Text1, *c.Text2, *c.Text3,
                                          settings, messages);
    std::array<QWidget*, FormState::kLampCount> lamps{};
    std::copy(c.Lampe.begin(), c.Lampe.end(), lamps.begin());
    m_diag = std::make_unique<DiagArea>(
        *this, DiagArea::Parts{*m_station, *m_frameGate, lamps, *c.Command3, messages, settings});
    m_station->startSampling();
    layout::placeDiagnostics(*m_diag);
    m_mqtt = std::make_unique<BridgeControl>(*this, messages);
    connectHandlers();
    connectKeys();
    setColourHelp(view_settings::colourHelp(settings));
    connect(m_diag.get(), &DiagArea::colourHelpChanged, this, &Form1::setColourHelp);
}

void Form1::connectKeys() {
    Controls& c = m_controls;
    const std::pair<QKeySequence, QAbstractButton*> keys[] = {{startKey(), c.Command3},
                                                              {stopKey(), c.Command4},
                                                              {quitKey(), c.Command5},
                                                              {insertKey(), c.Command1}};
    for (const auto& [key, button] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
    }
    for (int port = 1; port <= int(c.Option1.size()); ++port) {
        auto* shortcut = new QShortcut(portKey(port), this);
        connect(shortcut, &QShortcut::activated, c.Option1[std::size_t(port - 1)],
                &QAbstractButton::click);
    }
    // Enter in a count box sends the counts, as Indsæt (s) does.
    for (QLineEdit* box : {c.Text1, c.Text2, c.Text3})
        connect(box, &QLineEdit::returnPressed, c.Command1, &QAbstractButton::click);
    layout::appendTabChain(c, m_diag->tabChain());
}

void Form1::setColourHelp(bool on) {
    m_panel->setColourHelp(on);
    m_diag->markers().setColourHelp(on);
}

Form1::~Form1() {
    m_mqtt->stop(); // "offline" out while the history and the state are still there
    m_serial.setOnCommHandler({});
    m_station->setRefresh(nullptr);
    m_station->recorder().stop();
    m_station->history().setClock({}); // the replay goes before the history
}

FormState& Form1::state() {
    return m_station->state();
}

const FormState& Form1::state() const {
    return m_station->state();
}

const Monitor& Form1::monitor() const {
    return m_station->monitor();
}

Receiver& Form1::receiver() {
    return m_station->receiver();
}

ChangeHistory& Form1::history() {
    return m_station->history();
}

Recorder& Form1::recorder() {
    return m_station->recorder();
}

bool Form1::replay(const QString& path, int port, QString* error) {
    auto session = std::make_unique<ReplaySession>(m_serial, port);
    if (!session->open(path, error))
        return false;
    m_replay = std::move(session);
    m_replay->notePort(m_serial.CommPort(), m_serial.PortOpen());
    ChangeHistory& history = m_station->history();
    history.clear();
    history.setOrigin(0, QDateTime::fromMSecsSinceEpoch(m_replay->startEpochMs()));
    history.setClock([this] { return m_replay->clockMs(); });
    // The counts the recording sent, as its --summary takes them; else the window's own.
    if (m_replay->modulesSent())
        m_station->setConfiguredModules(m_replay->modulesSent(), true);
    m_diag->setReplayText([this] { return m_replay->text(); });
    return true;
}

void Form1::Form_Load() {
    run([this] { m_startup->Form_Load(); });
    // The module check starts from the counts as loaded, when all three were stored and are
    // counts.
    if (!m_startup->countsLoaded())
        return;
    const std::optional<quint8> left = countvalue::countByte(m_controls.Text1->text());
    const std::optional<quint8> mid = countvalue::countByte(m_controls.Text2->text());
    const std::optional<quint8> right = countvalue::countByte(m_controls.Text3->text());
    if (left && mid && right)
        m_station->setConfiguredModules(*left + *mid + *right, false); // loaded, not sent
}

void Form1::connectHandlers() {
    Controls& c = m_controls;
    connect(c.Command3, &QPushButton::clicked, this,
            [this] { runPort([this] { m_portControl->Command3_Click(); }); });
    connect(c.Command4, &QPushButton::clicked, this,
            [this] { runPort([this] { m_portControl->Command4_Click(); }); });
    connect(c.Command5, &QPushButton::clicked, this,
            [this] { runPort([this] { m_portControl->Command5_Click(); }); });
    connect(c.Command1, &QPushButton::clicked, this, [this] {
        run([this] { m_countCommand->Command1_Click(); });
        if (m_countCommand->modulesSent()) // the diagnostics and the bridge follow
            m_station->setConfiguredModules(m_countCommand->modulesSent(), true);
    });
    for (int i = 0; i < int(c.Option1.size()); ++i) {
        // Only the button that becomes selected reports a click, as with the classic control.
        connect(c.Option1[std::size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                runPort([this, i] { m_portControl->Option1_Click(i); });
        });
    }
    m_station->listen([this](const QString& why) { report(why); },
                      [this] { m_frameGate->frameIfDue(); });
    connect(m_station.get(), &Station::portLost, this, [this](const QString& error) {
        runPort([this, error] { m_portControl->MSComm1_PortLost(error); });
        if (m_bridge)
            m_bridge->setLink(Bridge::Link::Lost);
    });
    connect(&m_station->recorder(), &Recorder::failed, this, &Form1::report);
    connect(m_diag.get(), &DiagArea::mqttWanted, this, [this] { openMqtt(); });
}

void Form1::report(const QString& error) {
    m_messages.MsgBox(error);
}

void Form1::setBridge(Bridge* bridge) {
    m_bridge = bridge;
    if (!bridge) {
        m_diag->setCheckStatus({});
        return;
    }
    m_diag->setCheckStatus([bridge] { return bridge->stateText(); });
    bridge->setNames(&m_station->names()); // the counts it takes from the station
    bridge->setLink(m_serial.PortOpen() ? Bridge::Link::Started : Bridge::Link::Stopped);
    // Counts from the broker go out as Indsæt (s) sends them, and the boxes show them; a
    // refusal is answered on the broker, with no message box in front of the window.
    bridge->setCountHandler([this](const std::array<QString, 3>& texts) {
        int modules = -1;
        const countcommand::Result result =
            countcommand::send(texts, texts, m_serial, m_settings, &modules);
        if (result == countcommand::Result::NotCounts)
            return QStringLiteral("expected three counts from 0 to 255");
        m_controls.Text1->setText(texts[0]);
        m_controls.Text2->setText(texts[1]);
        m_controls.Text3->setText(texts[2]);
        if (modules >= 0)
            m_station->setConfiguredModules(modules, true); // the bytes went out
        if (result == countcommand::Result::NotSent)
            return m_serial.PortOpen() ? QStringLiteral("the counts could not be stored")
                                       : QStringLiteral("the port is not open (press Start)");
        return QString();
    });
}

MqttWindow& Form1::openMqtt() {
    if (!m_mqttWindow) {
        m_mqttWindow = new MqttWindow(m_settings, m_messages, this);
        m_mqttWindow->setState([this] { return m_mqtt->stateText(); },
                               [this] { return m_mqtt->troubleText(); });
        connect(m_mqttWindow, &MqttWindow::applied, m_mqtt.get(), &BridgeControl::apply);
        connect(m_mqtt.get(), &BridgeControl::stateChanged, m_mqttWindow,
                &MqttWindow::refreshState);
    } else if (!m_mqttWindow->isVisible()) {
        m_mqttWindow->load(); // as stored; edits of an open window stay
    }
    m_mqttWindow->show();
    m_mqttWindow->raise();
    m_mqttWindow->activateWindow();
    return *m_mqttWindow;
}

void Form1::setPortDescriptions(const std::function<QString(int)>& describe) {
    for (int i = 0; i < int(m_controls.Option1.size()); ++i)
        m_controls.Option1[std::size_t(i)]->setToolTip(describe(i + 1));
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        m_controls.Command3->setFocus(Qt::OtherFocusReason);
    }
}
