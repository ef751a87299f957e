#pragma once

#include "receive/receiver.h"
#include "state/formstate.h"
#include "state/messagesink.h"
#include "state/serialcontrol.h"
#include "state/settingsstore.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>

// A serial control driven by the test: bytes are delivered on cue, output is recorded, and
// opening, closing and output can be made to fail.
class ScriptedSerialControl final : public SerialControl {
    Q_OBJECT

public:
    explicit ScriptedSerialControl(QObject* parent = nullptr) : SerialControl(parent) {}

    // Adds bytes to the input and raises OnComm while they wait, as the real control does.
    void deliver(const QByteArray& bytes);
    // Adds bytes to the input without raising anything.
    void queue(const QByteArray& bytes) { m_input.append(bytes); }
    // Chunks that arrive one per WaitForInput call; a wait with none left times out at once.
    void arriveDuringWaits(const QList<QByteArray>& chunks) { m_arrivals = chunks; }
    int waits() const { return m_waits; }
    // From now on the control's clock is the test's: it reads `startMs`, and moves only when a
    // wait for input passes. Bytes given a time with arriveAt() come when a wait reaches that
    // time (the clock then reads it); a wait that reaches none passes whole.
    void useScriptedClock(qint64 startMs = 0) { m_scriptedMs = startMs; }
    void arriveAt(qint64 ms, const QByteArray& bytes) { m_timed.push_back({ms, bytes}); }
    // Delivers the timed bytes no wait has taken, each at its time, as the line would.
    void deliverTimed();
    qint64 clockMs() const override {
        return m_scriptedMs ? *m_scriptedMs : SerialControl::clockMs();
    }
    // Drops whatever input waits or is still to arrive.
    void clearInput() {
        m_input.clear();
        m_read = 0;
        m_arrivals.clear();
    }
    // Closes the port as a vanished device would and reports it.
    void lose(const QString& error);

    std::optional<QString> failOpen;  // the next opens fail with this text
    std::optional<QString> failClose; // the next closes fail with this text
    std::optional<QString> failOutput;
    QByteArray output;
    int opens = 0;
    int closes = 0;
    QList<int> openedPorts;

    int CommPort() const override { return m_port; }
    void setCommPort(int port) override { m_port = port; }
    bool PortOpen() const override { return m_open; }
    void setPortOpen(bool open) override;
    void Output(const QByteArray& bytes) override;
    int InBufferCount() const override { return int(m_input.size() - m_read); }
    // Whether the input is offered in pieces (waitingBlock()) of at most kBlock characters,
    // as the real control reads them.
    bool offerBlocks = true;
    static constexpr qsizetype kBlock = 16 * 1024;
    QByteArrayView waitingBlock() const override {
        return offerBlocks ? QByteArrayView(m_input).sliced(
                                 m_read, std::min(m_input.size() - m_read, kBlock))
                           : QByteArrayView();
    }

    // Whether the control gathers what the reader awaits (AwaitInput()) instead of raising
    // OnComm again at once, and what it was asked to gather, in order.
    bool gathers = false;
    QList<int> awaited;

protected:
    char takeOne() override { return m_input.at(m_read++); }
    bool gatherFor(int chars) override {
        awaited << chars;
        return gathers;
    }
    void skip(qsizetype count) override { m_read += count; }
    bool waitForInput(int msecs) override;

private:
    QByteArray m_input;
    qsizetype m_read = 0;
    QList<QByteArray> m_arrivals;
    std::optional<qint64> m_scriptedMs;
    std::deque<std::pair<qint64, QByteArray>> m_timed; // oldest first
    int m_waits = 0;
    int m_port = 1;
    bool m_open = false;
};

class CapturedMessages final : public MessageSink {
public:
    void MsgBox(const QString& text) override { shown << text; }
    // Questions are written down and answered with `answer`.
    bool Question(const QString& text) override {
        asked << text;
        return answer;
    }
    QStringList shown;
    QStringList asked;
    bool answer = true;
};

class MemorySettings final : public SettingsStore {
public:
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& fallback) override {
        return values.value(app + u'/' + section + u'/' + key, fallback);
    }
    void SaveSettings(const QString& app, const QList<Setting>& settings) override {
        if (failWrites)
            throw PlatformError(QStringLiteral("store not writable"));
        for (const Setting& s : settings)
            values[app + u'/' + s.section + u'/' + s.key] = s.text;
    }
    QMap<QString, QString> values;
    bool failWrites = false;
};

// Bytes from a list of values, for readable test tables.
QByteArray bytes(std::initializer_list<int> values);

// The system's fixed values as the user, the module and the settings file meet them, written
// out here rather than taken from the code, so that a changed value fails a test.
namespace fixed {
// The link indicator's colours (0xBBGGRR).
inline constexpr int kNotStarted = 255;
inline constexpr int kStarted = 32768;
inline constexpr int kStopped = 2303;

inline const QString kSendReminder = QStringLiteral("Husk at aktiver start");
inline const QString kCountRange = QStringLiteral("Modulantal skal være fra 0 til 255");
inline const QString kLeftReminder = QStringLiteral("Husk at angive antal moduler (Left)");
inline const QString kMidReminder = QStringLiteral("Husk at angive antal moduler (Mid)");
inline const QString kRightReminder = QStringLiteral("Husk at angive antal moduler (Right)");
inline const QStringList kCountReminders{kLeftReminder, kMidReminder, kRightReminder};

inline const QString kApp = QStringLiteral("Gen_Vorn_S88");
inline const QString kSettingsFile = QStringLiteral("Gen_Vorn_S88.conf");
inline const QStringList kSections{"S88Left", "S88Mid", "S88Right"};
// A chain's count as MemorySettings holds it: "Gen_Vorn_S88/S88Left/Antal".
inline QString countKey(const QString& section) {
    return kApp + u'/' + section + QStringLiteral("/Antal");
}
} // namespace fixed

// One report of a burst: the module number and its 16 inputs, bit 0 the module's first.
struct Report {
    int module;
    quint16 inputs;
};
// The report of `module` that leaves its inputs as `state` holds them, arrived at `arrivalMs`:
// what the receive path hands a change history once it decoded such a report into `state`.
inline DecodedReport reportOf(const FormState& state, int module, qint64 arrivalMs) {
    DecodedReport r;
    r.module = qint16(module);
    r.arrivalMs = arrivalMs;
    for (int k = 0; k < 16; ++k) {
        const int input = (module - 1) * 16 + k + 1;
        if (input >= 1 && input <= FormState::kLastInput && state.InputState[std::size_t(input)])
            (k < 8 ? r.low : r.high) |= qint16(1 << (k % 8));
    }
    return r;
}

// The burst as the module sends it: 'i', the number of reports, then per report the module
// number, the inputs 9..16 and the inputs 1..8.
QByteArray burstOf(const QList<Report>& reports);
// Modules 1..8 with only input 73 (module 5, contact 9) active.
QByteArray onlyInput73();
// A burst for these modules, in this order, with random inputs; its last byte is never 105,
// which would make the byte after the burst a count.
QByteArray randomBurst(QRandomGenerator& random, const QList<int>& modules);
// The inputs a burst reports active, ascending (read by the wire layout, not by the program).
QList<int> reportedInputs(const QByteArray& burst);
// What the monitor shows for a whole burst: 'i' and the count echoed, the reports as data.
QString shownBurst(const QByteArray& burst);

// Waits for `done` while `progress` keeps moving; gives up once it has stood still for
// `stallMs`. A flood takes as long as the machine needs, a program that stopped taking it
// fails within seconds.
bool waitWhileProgressing(const std::function<bool()>& done,
                          const std::function<quint64()>& progress, int stallMs = 3000);

// A directory of the test's own for the per-user settings (QSettings' native and INI
// formats), removed with the object even when a test took its permissions away.
class SettingsDirectory {
public:
    SettingsDirectory() { use(m_dir.path()); }
    ~SettingsDirectory();
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString settingsFile() const { return m_dir.filePath(fixed::kSettingsFile); }
    static void use(const QString& path);

private:
    QTemporaryDir m_dir;
};

bool writeFile(const QString& path, const QByteArray& content);

// This process's standard error caught in a file of its own while the object lives.
class CapturedStderr {
public:
    CapturedStderr();
    ~CapturedStderr();
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;
    // The lines written so far.
    QStringList lines() const;

private:
    QTemporaryDir m_dir;
    int m_file = -1;
    int m_saved = -1;
};

// Makes `path` a file that is not one, by `kind`: "pipe" (a FIFO), "device" (one that reads as
// empty: a node of its own where this user may make one, so that a program that wrongly writes
// through it replaces no device of the machine's; else a link to /dev/null, whose folder such
// a user cannot write) or "folder".
bool makeNotAFile(const QString& path, const QString& kind);

// Runs `work` on a thread of its own. Work held up on the FIFO `fifo` (opening or reading it)
// is let go after `ms` by opening the FIFO's other end: false then.
bool finishesWithin(const std::function<void()>& work, const QString& fifo, int ms);

// The environment with no display of any kind (the program must run without one); with
// `configHome`, settings are kept there instead of the user's.
QProcessEnvironment withoutDisplay(const QString& configHome = {});
// A megabyte of text: digits, blanks and Danish letters.
QString megabyteText();
// The module numbers of a burst's reports, in order.
QList<int> reportedModules(const QByteArray& burst);
// 1, 2, ..., n.
QList<int> oneTo(int n);
