#pragma once

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

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 8;

} // namespace protocol
