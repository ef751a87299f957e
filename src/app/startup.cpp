#include "app/startup.h"

#include "link/countcommand.h"
#include "state/messagesink.h"
#include "state/settingsstore.h"
#include "state/viewsettings.h"

#include <QCoreApplication>
#include <QLineEdit>

Startup::Startup(FormState& state, IndicatorSink indicator, QLineEdit& left, QLineEdit& mid,
                 QLineEdit& right, SettingsStore& settings, MessageSink& messages)
    : m_state(state), m_indicator(std::move(indicator)), m_left(left), m_mid(mid), m_right(right),
      m_settings(settings), m_messages(messages) {}

void Startup::Form_Load() {
    FormState& s = m_state;
    for (s.LoopCounter = 1; s.LoopCounter < FormState::kFlagCount; ++s.LoopCounter)
        s.Flags[std::size_t(s.LoopCounter)] = false;
    for (s.LoopCounter = 1; s.LoopCounter <= FormState::kLastInput; ++s.LoopCounter) {
        s.InputState[std::size_t(s.LoopCounter)] = false;
        s.LastState[std::size_t(s.LoopCounter)] = false;
    }
    m_indicator(LinkIndicator::NotStarted);
    s.PortStarted = 0;

    using namespace settings_keys;
    m_countsLoaded = false;
    const bool left = loadCount(kLeft, m_left, QStringLiteral("Left"));
    const bool mid = loadCount(kMid, m_mid, QStringLiteral("Mid"));
    const bool right = loadCount(kRight, m_right, QStringLiteral("Right"));
    m_countsLoaded = left && mid && right;
}

bool Startup::loadCount(const QString& section, QLineEdit& box, const QString& chain) {
    using namespace settings_keys;
    m_state.SettingValue = m_settings.GetSetting(kApp, section, kCount, kAbsent);
    if (m_state.SettingValue != kAbsent) {
        box.setText(m_state.SettingValue);
        if (m_state.SettingValue.size() > box.maxLength())
            box.setProperty(CountCommand::kStoredText, m_state.SettingValue);
        return true;
    }
    m_messages.MsgBox(
        QCoreApplication::translate("Form1", "Husk at angive antal moduler (%1)").arg(chain));
    return false;
}

namespace zoom {

QByteArray scaleFactor(int percent) {
    if (percent <= 0)
        return {};
    return QByteArray::number(percent / 100.0);
}

QByteArray apply(SettingsStore& settings) {
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return {};
    const QByteArray factor = scaleFactor(view_settings::zoom(settings));
    if (factor.isEmpty())
        return {};
    qputenv("QT_SCALE_FACTOR", factor);
    return factor;
}

} // namespace zoom
