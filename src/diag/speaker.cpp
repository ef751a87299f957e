#include "diag/speaker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTextToSpeech>
#include <QTimer>
#include <array>

QString danishNumber(int n) {
    static const std::array<const char*, 20> kSmall = {
        "nul",     "en",     "to",      "tre",    "fire",   "fem",   "seks",
        "syv",     "otte",   "ni",      "ti",     "elleve", "tolv",  "tretten",
        "fjorten", "femten", "seksten", "sytten", "atten",  "nitten"};
    static const std::array<const char*, 10> kTens = {
        "", "", "tyve", "tredive", "fyrre", "halvtreds", "tres", "halvfjerds", "firs", "halvfems"};
    if (n < 0 || n > 999)
        return QString::number(n);
    if (n < 20)
        return QString::fromUtf8(kSmall[n]);
    if (n < 100) {
        const QString tens = QString::fromUtf8(kTens[n / 10]);
        return n % 10 ? QString::fromUtf8(kSmall[n % 10]) + QStringLiteral("og") + tens : tens;
    }
    QString out = n < 200 ? QStringLiteral("hundrede")
                          : QString::fromUtf8(kSmall[n / 100]) + QStringLiteral(" hundrede");
    if (n % 100)
        out += QStringLiteral(" og ") + danishNumber(n % 100);
    return out;
}

QString changeText(int input, bool active) {
    return danishNumber(input) + (active ? QStringLiteral(" aktiv") : QStringLiteral(" inaktiv"));
}

namespace {

constexpr int kBellGapMs = 160;
constexpr int kFaultBells = 3;
constexpr int kGuideQueue = 4; // enough for a result and the next request
constexpr qint64 kSilentEngineMs = 10000;

const QString kInstall =
    QStringLiteral("installér qt6-speech-speechd-plugin, speech-dispatcher og espeak-ng");

} // namespace

TtsSpeaker::TtsSpeaker(QObject* parent) : TtsSpeaker(QString(), parent) {}

TtsSpeaker::TtsSpeaker(const QString& engine, QObject* parent)
    : QObject(parent), m_bellTimer(new QTimer(this)), m_bell([] { QApplication::beep(); }) {
    m_bellTimer->setInterval(kBellGapMs);
    connect(m_bellTimer, &QTimer::timeout, this, [this] {
        if (--m_bellsLeft <= 0)
            m_bellTimer->stop();
        m_bell();
    });
    open(engine);
}

TtsSpeaker::~TtsSpeaker() = default;

// Takes the named engine, or the first installed one with a Danish voice.
void TtsSpeaker::open(const QString& engine) {
    const QStringList engines =
        engine.isEmpty() ? QTextToSpeech::availableEngines() : QStringList{engine};
    if (engines.isEmpty() ||
        (!engine.isEmpty() && !QTextToSpeech::availableEngines().contains(engine))) {
        m_reason = QStringLiteral("Ingen talemotor: %1.").arg(kInstall);
        return;
    }
    for (const QString& name : engines) {
        auto speech = std::make_unique<QTextToSpeech>(name);
        if (speech->state() == QTextToSpeech::Error)
            continue;
        for (const QLocale& locale : speech->availableLocales()) {
            if (locale.language() != QLocale::Danish)
                continue;
            speech->setLocale(locale);
            if (speech->availableVoices().isEmpty())
                continue;
            m_speech = std::move(speech);
            connect(m_speech.get(), &QTextToSpeech::stateChanged, this,
                    [this](QTextToSpeech::State state) {
                        if (state == QTextToSpeech::Ready || state == QTextToSpeech::Error) {
                            m_busy = false;
                            speakNext();
                        }
                    });
            m_reason.clear();
            return;
        }
    }
    m_reason = QStringLiteral("Ingen dansk stemme: %1.").arg(kInstall);
}

void TtsSpeaker::setGuiding(bool on) {
    m_guiding = on;
    m_change.clear();
}

void TtsSpeaker::announceChange(int input, bool active) {
    if (!m_enabled || m_guiding)
        return;
    m_change = changeText(input, active);
    speakNext();
}

void TtsSpeaker::say(const QString& text) {
    if (!m_enabled)
        return;
    if (m_guideQueue.size() >= kGuideQueue)
        m_guideQueue.removeFirst();
    m_guideQueue.append(text);
    m_change.clear();
    speakNext();
}

void TtsSpeaker::cue(Cue cue) {
    if (m_enabled) {
        say(cue == Cue::Ok ? QStringLiteral("OK") : QStringLiteral("fejl"));
        return;
    }
    m_bell();
    m_bellsLeft = cue == Cue::Ok ? 0 : kFaultBells - 1;
    if (m_bellsLeft > 0)
        m_bellTimer->start();
    else
        m_bellTimer->stop();
}

// Says the oldest waiting guided text, else the newest change, once the engine is free.
void TtsSpeaker::speakNext() {
    // The engine reports Speaking a moment after say(); until it reports Ready again a new
    // text would cut the current one off. An engine that never reports is given up on.
    if (!m_speech || (m_busy && m_since.elapsed() < kSilentEngineMs))
        return;
    QString text;
    if (!m_guideQueue.isEmpty())
        text = m_guideQueue.takeFirst();
    else
        text = std::exchange(m_change, QString());
    if (text.isEmpty())
        return;
    m_busy = true;
    m_since.start();
    m_speech->say(text);
}
