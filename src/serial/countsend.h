#pragma once

#include <QString>
#include <array>

class SerialControl;
class SettingsStore;

namespace countcommand {
enum class Result { Sent, NotCounts, NotSent };
// What Indsæt (s) does with three texts, without a window: checks each is a count from 0 to
// 255, sends the five bytes and stores `stored` (the texts as they are to be kept; a null text
// leaves that count's stored text as it is) under the three counts' keys. NotCounts sends and
// stores nothing; NotSent: the port was closed or the store could not be written (nothing already
// sent is undone).
Result send(const std::array<QString, 3>& texts, const std::array<QString, 3>& stored,
            SerialControl& serial, SettingsStore& settings, int* modules = nullptr);
} // namespace countcommand
