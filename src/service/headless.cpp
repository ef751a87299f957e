#include "service/headless.h"

#include "bridge/bridge.h"
#include "history/names.h"
#include "history/station.h"
#include "launch/launch.h"
#include "launch/quitsignals.h"
#include "launch/translations.h"
#include "serial/countsend.h"
#include "serial/portmap.h"
#include "serial/qtserialcontrol.h"
#include "state/settingsstore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kReopenMs = 3000;

void say(const QString& line) {
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

// The link: opens the port, sends the counts, notices a lost port and opens it again.
class Service final : public QObject {
public:
    Service(const CommandLine::Window& options, const PortMap& ports, SerialControl& serial,
            SettingsStore& settings)
        : m_options(options), m_ports(ports), m_serial(serial), m_settings(settings),
          m_station(serial) {
        m_station.listen([](const QString& why) {
            say(QCoreApplication::translate("headless", "receive: %1").arg(why));
        });
        m_station.startSampling();
        connect(&m_station, &Station::portLost, this, [this](const QString& why) {
            m_station.watchPort();
            link(Bridge::Link::Lost,
                 QCoreApplication::translate("headless", "link: %1 lost: %2; opening it again")
                     .arg(device(), why));
            m_reopen.start();
        });
        connect(&m_station.recorder(), &Recorder::failed, this, [](const QString& why) {
            say(QCoreApplication::translate("headless", "record: %1").arg(why));
        });
        m_reopen.setInterval(kReopenMs);
        m_reopen.setSingleShot(true);
        connect(&m_reopen, &QTimer::timeout, this, &Service::open);
    }

    // Empty when the counts are at hand, else why not.
    QString loadCounts() {
        if (m_options.counts) {
            m_counts = *m_options.counts;
            return {};
        }
        using namespace settings_keys;
        for (int i = 0; i < 3; ++i) {
            const QString section = std::array{kLeft, kMid, kRight}[std::size_t(i)];
            m_counts[std::size_t(i)] = m_settings.GetSetting(kApp, section, kCount, kAbsent);
            if (m_counts[std::size_t(i)] == kAbsent)
                return QCoreApplication::translate("headless",
                                                   "no stored count for %1: give --counts L,M,R")
                    .arg(section);
        }
        return {};
    }

    // The names for the discovery configs and the events: --names FILE, which must be read, or
    // else the window's names file, if there is one. A bad line is told once and left out; a
    // window's file that cannot be read is told and the inputs go unnamed.
    bool loadNames(QString* why) {
        const QString path = m_options.names.isEmpty() ? names::defaultPath() : m_options.names;
        if (!QFileInfo::exists(path)) {
            if (m_options.names.isEmpty())
                return true;
            *why = QCoreApplication::translate("headless", "names: %1: no such file").arg(path);
            return false;
        }
        QList<names::Problem> problems;
        QString error;
        if (!names::load(path, m_station.names(), &problems, &error)) {
            *why = QCoreApplication::translate("headless", "names: %1: %2").arg(path, error);
            if (!m_options.names.isEmpty())
                return false;
            say(*why);
        }
        for (const names::Problem& p : problems)
            say(QCoreApplication::translate("headless", "names: %1: %2")
                    .arg(path, names::describe(p)));
        return true;
    }

    bool startRecording(QString* why) {
        return m_options.record.isEmpty() || m_station.recorder().start(m_options.record, why);
    }

    void startBridge(Bridge::Options options) {
        m_bridge = std::make_unique<Bridge>(m_station, std::move(options));
        connect(m_bridge.get(), &Bridge::stateChanged, this, &say);
        // Another board online on the default prefix: not now. Exit 1, which the unit tries again:
        // the board online may be this one's own last run, dead without a word (a power cut),
        // whose retained "online" stands until the broker gives up on that connection.
        connect(m_bridge.get(), &Bridge::refused, this, [] { QCoreApplication::exit(1); });
        m_bridge->setNames(&m_station.names());
        m_bridge->setCountHandler([this](const std::array<QString, 3>& texts) {
            const QString refusal = sendCounts(texts);
            if (refusal.isEmpty())
                m_counts = texts;
            return refusal;
        });
        m_bridge->start();
    }

    void open() {
        try {
            m_serial.setCommPort(headless::portOf(m_options));
            m_serial.setPortOpen(true);
        } catch (const PlatformError& e) {
            link(Bridge::Link::Stopped,
                 QCoreApplication::translate("headless",
                                             "link: %1 cannot be opened: %2; trying again")
                     .arg(device(), e.message()));
            m_reopen.start();
            return;
        }
        m_station.state().PortStarted = 1;
        m_station.watchPort(); // silent after 3 s without a burst
        m_station.recorder().notePort(m_serial.CommPort(), true);
        link(Bridge::Link::Started,
             QCoreApplication::translate("headless", "link: %1 open").arg(device()));
        const QString refusal = sendCounts(m_counts);
        if (!refusal.isEmpty())
            say(QCoreApplication::translate("headless", "counts: %1").arg(refusal));
    }

    void close() {
        if (m_bridge) {
            m_bridge->setLink(Bridge::Link::Stopped);
            m_bridge->stop();
        }
        try {
            if (m_serial.PortOpen())
                m_serial.setPortOpen(false);
        } catch (const PlatformError&) {
        }
        m_station.watchPort();
        m_station.recorder().notePort(m_serial.CommPort(), false);
        m_station.recorder().stop();
        say(QCoreApplication::translate("headless", "link: %1 closed").arg(device()));
    }

private:
    QString device() const { return m_ports.device(headless::portOf(m_options)); }

    void link(Bridge::Link state, const QString& line) {
        if (m_bridge)
            m_bridge->setLink(state);
        if (line != m_lastLine)
            say(line);
        m_lastLine = line;
    }

    // As Indsæt (s): the same rules, bytes and store.
    QString sendCounts(const std::array<QString, 3>& texts) {
        int modules = -1;
        switch (countcommand::send(texts, texts, m_serial, m_settings, &modules)) {
        case countcommand::Result::Sent:
            m_station.setConfiguredModules(modules, true); // the bridge follows
            return {};
        case countcommand::Result::NotCounts:
            return QCoreApplication::translate("headless", "expected three counts from 0 to 255");
        case countcommand::Result::NotSent:
            break;
        }
        return m_serial.PortOpen()
                   ? QCoreApplication::translate("headless", "the counts could not be stored")
                   : QCoreApplication::translate("headless", "the port is not open");
    }

    const CommandLine::Window& m_options;
    const PortMap& m_ports;
    SerialControl& m_serial;
    SettingsStore& m_settings;
    Station m_station;
    std::unique_ptr<Bridge> m_bridge;
    std::array<QString, 3> m_counts;
    QTimer m_reopen;
    QString m_lastLine;
};

} // namespace

namespace headless {

int portOf(const CommandLine::Window& options) {
    return options.ports.size() == 1 ? options.ports.first().port : 1;
}

int run(const CommandLine::Window& options, const PortMap& ports) {
    QtSerialControl serial([&ports](int port) { return ports.device(port); });
    QtSettingsStore settings;
    Service service(options, ports, serial, settings);
    if (const QString why = service.loadCounts(); !why.isEmpty()) {
        say(QCoreApplication::translate("headless", "--headless: %1").arg(why));
        return 2;
    }
    QString why;
    std::optional<Bridge::Options> bridge;
    if (options.mqtt && !(bridge = launch::bridgeOptions(options, &why))) {
        say(why);
        return 2;
    }
    if ((options.mqtt || !options.names.isEmpty()) && !service.loadNames(&why)) {
        say(QCoreApplication::translate("headless", "--headless: %1").arg(why));
        return 2;
    }
    if (!service.startRecording(&why)) {
        say(QCoreApplication::translate("headless", "--record %1: %2").arg(options.record, why));
        return 2;
    }
    if (bridge)
        service.startBridge(*bridge);
    quitOnSignals(service);
    service.open();
    const int status = QCoreApplication::exec();
    service.close();
    return status;
}

} // namespace headless

int headless::serviceMain(int argc, char* argv[]) {
    launch::quietEnvironment();
    const QStringList arguments = launch::arguments(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("s88monitor"));
    CommandLine commandLine = CommandLine::parse(arguments);
    const Language language = launch::spoken(commandLine);
    if (language != Language::Danish) { // read again, to speak its mistakes in the language
        translations::install(app, language);
        commandLine = CommandLine::parse(arguments);
    }
    if (commandLine.run == CommandLine::Run::Print)
        return commandLine.print();
    if (commandLine.run != CommandLine::Run::Headless)
        return launch::fail(QCoreApplication::translate(
            "headless",
            "s88monitor-headless: only --headless runs here; the window is s88monitor"));
    launch::Ports ports;
    if (const std::optional<int> status = ports.set(commandLine.window))
        return *status;
    return run(commandLine.window, ports.map);
}
