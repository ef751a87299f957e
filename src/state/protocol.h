#pragma once

#include <QByteArray>
#include <QtGlobal>

// What passes between the program and the interface module on the serial line.
namespace protocol {

// Line settings, fixed for the life of the program.
inline constexpr int kBaudRate = 9600;
inline constexpr int kDataBits = 8;
inline constexpr int kStopBits = 1; // no parity, no flow control

// Module-count command, host to module: 's', Left, Mid, Right, CR.
inline constexpr char kCountCommand = 's';
inline constexpr char kCommandEnd = '\r';
inline constexpr int kCountCommandSize = 5;

// Report burst, module to host: 'i', N, then N reports of (module, high byte, low byte).
inline constexpr char kBurstStart = 'i';
inline constexpr int kReportSize = 3;
inline constexpr int kMaxReports = 255;
inline constexpr int kMaxBurstSize = 2 + kReportSize * kMaxReports; // 767

// The burst encoder: the start and the count, then each report with its module's 16 inputs
// (bit 0 is contact 1), inputs 9..16 first.
inline void appendBurstStart(QByteArray& out, int reports) {
    out.append(kBurstStart);
    out.append(char(quint8(reports)));
}
inline void appendReport(QByteArray& out, int module, quint16 inputs) {
    out.append(char(quint8(module)));
    out.append(char(quint8(inputs >> 8)));
    out.append(char(quint8(inputs & 0xff)));
}

// Inputs: module m (from 1) owns inputs (m - 1) * 16 + 1 .. m * 16, its contacts 1..16. The
// window knows inputs 1..200, so module 13 only in part.
inline constexpr int kInputsPerModule = 16;
inline constexpr int kLastInput = 200;
inline constexpr int kLastModule = (kLastInput + kInputsPerModule - 1) / kInputsPerModule; // 13

constexpr int inputOf(int module, int contact) {
    return (module - 1) * kInputsPerModule + contact;
}
constexpr int moduleOf(int input) {
    return (input - 1) / kInputsPerModule + 1;
}
constexpr int contactOf(int input) {
    return (input - 1) % kInputsPerModule + 1;
}

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 8;

} // namespace protocol
