#pragma once

#include <QtGlobal>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

// Reads a device on a thread of its own and stamps every read with the monotonic time it came
// (monotonicMs()), so a busy event loop delays when bytes are taken, never when they arrived.
// The bytes go on, in order, through a pipe: the reader's fd() is read, polled and watched
// as the device itself would be. Unix only.
class ArrivalReader {
public:
    ArrivalReader() = default;
    ~ArrivalReader();
    ArrivalReader(const ArrivalReader&) = delete;
    ArrivalReader& operator=(const ArrivalReader&) = delete;

    // Starts reading `device`; false (errno set) when the pipe or the thread cannot be had.
    bool start(int device);
    // Stops the thread and closes the pipe; the device stays open.
    void stop();
    bool running() const { return m_thread.joinable(); }
    // The pipe's end to read the device's bytes from; -1 while stopped.
    int fd() const { return m_out[0]; }

    // The arrival of the next `count` bytes read from fd(), in order, into `stamps`.
    void stamp(qint64* stamps, qsizetype count);
    // The device hung up or failed: the pipe ends after its last bytes. `error` is the errno
    // of the failed read, 0 for a hang-up.
    bool ended(int* error = nullptr) const;

private:
    void run(int device);
    bool pass(const char* bytes, qsizetype count);

    struct Read {
        quint64 end = 0; // the stream position after its last byte
        qint64 ms = 0;
    };
    std::thread m_thread;
    int m_out[2] = {-1, -1};  // the pipe the bytes go on through
    int m_wake[2] = {-1, -1}; // stop() writes here
    std::mutex m_mutex;
    std::deque<Read> m_reads; // not yet stamped; guarded by m_mutex
    quint64 m_stamped = 0;    // bytes stamped so far (fd()'s reader's position)
    std::atomic<bool> m_ended{false};
    std::atomic<int> m_error{0};
};
