#pragma once

#include "sim/faults.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// A virtual interface module on the far side of a pseudo terminal: the program opens
// devicePath() like any serial port, and the module answers there as a real one would.
// It runs on its own thread, so a handler that waits for bytes never stalls it.
class VirtualModule final {
public:
    struct Options {
        quint32 seed = 1;
        int baudRate = 9600;       // bytes are paced at baudRate / 10 per second; 0: unpaced
        int burstIntervalMs = 100; // from the end of one burst to the start of the next
        int idleIntervalMs = 1000; // between the empty bursts sent while no module is counted
        // Line noise: before each burst, random bytes other than 'i' (so a host that is
        // between bursts only echoes them), this many per hundred bytes of the burst.
        int garbagePercent = 0;
        sim::Faults faults{};
        // Instead of the pattern: bytes to send, each piece with its time in milliseconds
        // (called on the module's thread until it returns false). They go out at their time
        // divided by replaySpeed from the moment the port is first opened, or as fast as the
        // line takes them when replaySpeed is 0. Time stands still while the port is closed.
        std::function<bool(qint64& timeMs, QByteArray& bytes)> replay{};
        double replaySpeed = 1;
        int stepMs = 250; // the pattern moves on one step this often
        // The inputs walked one by one from each module-count command on (see sim::Pattern).
        bool walk = false;
    };

    explicit VirtualModule(Options options);
    VirtualModule() : VirtualModule(Options{}) {}
    ~VirtualModule();
    VirtualModule(const VirtualModule&) = delete;
    VirtualModule& operator=(const VirtualModule&) = delete;

    // False when pseudo terminals are not available on this platform.
    static bool available();
    // Opens the pseudo terminal and starts the module; false with a reason on failure.
    bool start(QString* error = nullptr);
    void stop();
    // The device the program opens, for example /dev/pts/3; empty while stopped.
    QString devicePath() const;

    // What the module has done so far; safe to read from any thread.
    int moduleCount() const;      // modules reported per burst, from the last command
    quint64 commandCount() const; // module-count commands understood
    quint64 burstCount() const;   // bursts begun, including those nobody heard
    quint64 burstsSent() const;   // bursts written to the line in full
    // The inputs of modules 1..N (bit k = the module's input k + 1) as the last burst written
    // in full reported them.
    QList<quint16> lastSentStates() const;

    // Safe to call from any thread; they take effect from the next burst.
    void setGarbagePercent(int percent);
    // At most `count` more bursts, then the module holds until given more; negative: no limit.
    void limitBursts(int count);

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};
