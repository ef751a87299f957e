#include "diag/speaker.h"

#include "diag/numberwords.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTextToSpeech>
#include <QThread>
#include <QTimer>
#include <array>

QString danishNumber(int n) {
    return numberWords(n, Language::Danish);
}

QString changeText(int input, bool active, const QString& name) {
    const QString number = numberWords(input, language::current());
    const QString state = active ? QCoreApplication::translate("TtsSpeaker", "aktiv")
                                 : QCoreApplication::translate("TtsSpeaker", "inaktiv");
    if (!name.isEmpty())
        return QStringLiteral("%1, %2, %3").arg(number, name, state);
    return number + u' ' + state;
}

namespace {

constexpr int kBellGapMs = 160;
constexpr int kFaultBells = 3;
constexpr int kGuideQueue = 4; // enough for a result and the next request
constexpr qint64 kSilentEngineMs = 10000;
constexpr int kStartWaitMs = 15000; // speech-dispatcher starts in two or three seconds
constexpr int kExitWaitMs = 1000;

QString install() {
    return QCoreApplication::translate(
        "TtsSpeaker", "installér qt6-speech-speechd-plugin, speech-dispatcher og espeak-ng");
}

QString starting() {
    return QCoreApplication::translate("TtsSpeaker", "Talemotoren starter…");
}

// The voice's language: the window's.
QLocale::Language voiceLanguage() {
    return language::locale(language::current()).language();
}

} // namespace

// The engine and every call into it live on their own thread: speech-dispatcher takes a few
// seconds to start, and one that has stopped answering (it does when it lost its sound
// device) blocks its clients for good. Neither may hold up the window.
class TtsSpeaker::Voice final : public QObject {
    Q_OBJECT

public:
    // Takes the named engine, or the first installed one with a Danish voice, and says
    // opened() with an empty reason, or the reason when there is none.
    void open(const QStringList& engines) {
        for (const QString& name : engines) {
            auto* speech = new QTextToSpeech(name, this);
            if (speech->state() != QTextToSpeech::Error) {
                for (const QLocale& locale : speech->availableLocales()) {
                    if (locale.language() != voiceLanguage())
                        continue;
                    speech->setLocale(locale);
                    if (speech->availableVoices().isEmpty())
                        continue;
                    m_speech = speech;
                    connect(speech, &QTextToSpeech::stateChanged, this,
                            [this](QTextToSpeech::State state) {
                                if (state == QTextToSpeech::Ready || state == QTextToSpeech::Error)
                                    emit idle();
                            });
                    emit opened(QString());
                    return;
                }
            }
            delete speech;
        }
        emit opened(
            QCoreApplication::translate("TtsSpeaker", "Ingen dansk stemme: %1.").arg(install()));
    }

    void say(const QString& text) {
        if (m_speech)
            m_speech->say(text);
    }

signals:
    void opened(const QString& reason);
    void idle();

private:
    QTextToSpeech* m_speech = nullptr;
};

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

TtsSpeaker::~TtsSpeaker() {
    if (!m_thread)
        return;
    m_thread->quit();
    // A thread stuck in the engine is left behind rather than holding up the program's end.
    if (m_thread->wait(kExitWaitMs))
        delete m_thread;
}

void TtsSpeaker::open(const QString& engine) {
    const QStringList installed = QTextToSpeech::availableEngines();
    if (installed.isEmpty() || (!engine.isEmpty() && !installed.contains(engine))) {
        m_reason = QCoreApplication::translate("TtsSpeaker", "Ingen talemotor: %1.").arg(install());
        return;
    }
    m_reason = starting();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("speech"));
    m_voice = new Voice;
    m_voice->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_voice, &QObject::deleteLater);
    connect(m_voice, &Voice::opened, this, [this](const QString& reason) {
        m_reason = reason;
        emit availabilityChanged();
    });
    connect(m_voice, &Voice::idle, this, [this] {
        m_busy = false;
        speakNext();
    });
    QTimer::singleShot(kStartWaitMs, this, [this] {
        if (m_reason != starting())
            return;
        m_reason = QCoreApplication::translate(
            "TtsSpeaker", "Talemotoren svarer ikke; genstart speech-dispatcher.");
        emit availabilityChanged();
    });
    m_thread->start();
    const QStringList engines = engine.isEmpty() ? installed : QStringList{engine};
    QMetaObject::invokeMethod(
        m_voice, [voice = m_voice, engines] { voice->open(engines); }, Qt::QueuedConnection);
}

void TtsSpeaker::setGuiding(bool on) {
    m_guiding = on;
    m_change.clear();
}

void TtsSpeaker::announceChange(int input, bool active) {
    if (!isEnabled() || m_guiding)
        return;
    m_change = changeText(input, active, m_names ? m_names->name(input) : QString());
    speakNext();
}

void TtsSpeaker::say(const QString& text) {
    if (!isEnabled())
        return;
    if (m_guideQueue.size() >= kGuideQueue)
        m_guideQueue.removeFirst();
    m_guideQueue.append(text);
    m_change.clear();
    speakNext();
}

void TtsSpeaker::cue(Cue cue) {
    if (isEnabled()) {
        say(cue == Cue::Ok ? QCoreApplication::translate("TtsSpeaker", "OK")
                           : QCoreApplication::translate("TtsSpeaker", "fejl"));
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
    if (!available() || (m_busy && m_since.elapsed() < kSilentEngineMs))
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
    QMetaObject::invokeMethod(
        m_voice, [voice = m_voice, text] { voice->say(text); }, Qt::QueuedConnection);
}

#include "speaker.moc"
