#pragma once

#include "state/protocol.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// Everything the window's handlers share. The names are the ones the handlers have always
// used; booleans are plain bool (the old -1/0 encoding only matters where a value is shown).
struct FormState {
    static constexpr int kFlagCount = 51; // Flags(0..50)
    static constexpr int kLastInput = protocol::kLastInput;
    static constexpr int kInputCount = kLastInput + 1; // InputState(0..200), LastState(0..200)
    static constexpr int kLampCount = 160;

    // Receive state machine step flags: 1 = a count byte is expected, 2 = a burst is pending,
    // 10 = text echo (never switched on). Entry 0 is never used.
    std::array<bool, kFlagCount> Flags{};
    // Entry n is input n, true = active. Entry 0 is written only by a report for module 0.
    std::array<bool, kInputCount> InputState{};
    // Entry n is input n as the last panel refresh saw it.
    std::array<bool, kInputCount> LastState{};

    qint16 ReportCount = 0;
    // The serial input is read one character at a time, so the last read is one character.
    // All three stay empty until the first character arrives.
    std::optional<char> RxText;
    std::optional<char> RxChar;
    std::optional<qint16> RxValue;
    qint16 ReportModule = 0;
    qint16 ReportHigh = 0;
    qint16 ReportLow = 0;

    int PortStarted = 0; // 1 after Start opened the port
    QString SettingValue;
    int LoopCounter = 0;
};
