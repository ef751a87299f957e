#pragma once

#include "history/changehistory.h"
#include "history/modulecheck.h"
#include "history/names.h"
#include "history/portwatch.h"
#include "history/recorder.h"
#include "receive/monitor.h"
#include "receive/receiver.h"
#include "state/formstate.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class SerialControl;

// The receive core wired once on a serial line: the form state, the monitor ring, the receive
// state machine, the change history, the recorder, the inputs' names, the module counts and
// the bursts a second. The window, the headless service and every replay or report make one,
// so every channel reads the same history, module check and rate.
//
//   serial control --OnComm--> Receiver --> FormState, Monitor ring, ChangeHistory
//          \--tap--> Recorder            \--> the refresh (the window's panel; none headless)
class Station final : public QObject {
    Q_OBJECT

public:
    static constexpr int kSampleMs = 1000; // bursts a second, over this long

    explicit Station(SerialControl& serial, qsizetype capacity = ChangeHistory::kDefaultCapacity,
                     QObject* parent = nullptr);
    ~Station() override;

    FormState& state() { return m_state; }
    const FormState& state() const { return m_state; }
    Monitor& monitor() { return m_monitor; }
    const Monitor& monitor() const { return m_monitor; }
    Receiver& receiver() { return m_receiver; }
    ChangeHistory& history() { return m_history; }
    const ChangeHistory& history() const { return m_history; }
    Recorder& recorder() { return m_recorder; }
    names::Names& names() { return m_names; }
    const names::Names& names() const { return m_names; }
    SerialControl& serial() { return m_serial; }

    // What ends every receive event (the window's panel and monitor); null: nothing.
    void setRefresh(Refresh* refresh) { m_refresh.to = refresh; }
    // Takes what the line offers on every OnComm of the serial control, then watches the port
    // (watchPort()). A receive run that fails goes to `failed` (the program keeps running);
    // `after` runs after every one.
    void listen(std::function<void(const QString& why)> failed, std::function<void()> after = {});

    // The modules the counts announce (Left + Mid + Right), as loaded or last sent; nothing
    // while they are not known. `sent`: sent to the module in this session; until then no
    // module is called missing. Sent stays sent.
    void setConfiguredModules(std::optional<int> modules, bool sent);
    std::optional<int> configuredModules() const { return m_configured; }
    bool countsSent() const { return m_countsSent; }

    // Bursts a second over the last sample: sample() every kSampleMs from startSampling() on,
    // on the history's clock (a replay's, while there is one: the recording's rate).
    void startSampling();
    void sample();
    double burstsPerSecond() const { return m_rate; }

    // The module check now, on the counts and the rate; `changesAtStart` for "uændret".
    ModuleCheck check(const ModuleCheck::Changes& changesAtStart = {}) const;
    // The check with "uændret" counted since the link was last started (markStart()), or since
    // the history was cleared after that.
    ModuleCheck checkSinceStart() const { return check(m_changesAtStart); }
    void markStart() { m_changesAtStart = ModuleCheck::changesNow(m_history); }

    // Whether the started port gives data (PortWatch's rule). Call watchPort() when the port was
    // chosen, opened, closed or lost (listen() does it after each read of the line); between
    // these a timer looks when the port would fall silent. portWatchChanged() when that or the
    // device changed; burstsReceived() when bursts (complete or short) came since the last look.
    void watchPort();
    bool portSilent() const { return m_watch.silent(); }
    int watchedPort() const { return m_watchedPort; }
    const QString& device() const { return m_device; } // empty: none

signals:
    void countsChanged();
    void sampled();
    void portWatchChanged();
    void burstsReceived();
    // The port went away; the recording has noted it.
    void portLost(const QString& why);

private:
    class ForwardRefresh final : public Refresh {
    public:
        Refresh* to = nullptr;
        void arbejd() override {
            if (to)
                to->arbejd();
        }
    };

    SerialControl& m_serial;
    FormState m_state;
    Monitor m_monitor;
    ForwardRefresh m_refresh;
    Receiver m_receiver;
    ChangeHistory m_history;
    Recorder m_recorder;
    names::Names m_names;
    std::optional<int> m_configured;
    bool m_countsSent = false;
    QTimer m_sampleTimer;
    qint64 m_sampleAtMs = 0; // on the history's clock
    quint64 m_burstsAtSample = 0;
    double m_rate = 0;
    ModuleCheck::Changes m_changesAtStart{};

    PortWatch m_watch;
    QTimer m_watchTimer;
    QElapsedTimer m_watchClock;
    int m_watchedPort = 0; // the port the device was looked up for, 0 for none yet
    bool m_watchedOpen = false;
    QString m_device;
};
