#include "serial/countsend.h"

#include "serial/countvalue.h"
#include "state/platformerror.h"
#include "state/serialcontrol.h"
#include "state/settingsstore.h"

countcommand::Result countcommand::send(const std::array<QString, 3>& texts,
                                        const std::array<QString, 3>& stored, SerialControl& serial,
                                        SettingsStore& settings, int* modules) {
    const std::optional<quint8> left = countvalue::countByte(texts[0]);
    const std::optional<quint8> mid = countvalue::countByte(texts[1]);
    const std::optional<quint8> right = countvalue::countByte(texts[2]);
    if (!left || !mid || !right)
        return Result::NotCounts;
    try {
        serial.Output(countvalue::countCommand(*left, *mid, *right));
        if (modules)
            *modules = *left + *mid + *right;
        using namespace settings_keys;
        const std::array<QString, 3> sections{kLeft, kMid, kRight};
        QList<SettingsStore::Setting> kept;
        for (std::size_t i = 0; i < sections.size(); ++i) {
            if (!stored[i].isNull())
                kept.append({sections[i], kCount, stored[i]});
        }
        settings.SaveSettings(kApp, kept);
    } catch (const PlatformError&) {
        return Result::NotSent;
    }
    return Result::Sent;
}
