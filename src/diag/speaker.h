#pragma once

#include "history/names.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QThread;
class QTimer;

// The number in Danish words, as spoken: 73 "treoghalvfjerds", 101 "hundrede og en".
// 0..999; other numbers in digits.
QString danishNumber(int n);
// What is said for an input change: "treoghalvfjerds aktiv", "treoghalvfjerds inaktiv".
// "treoghalvfjerds, Blok 3 øst, aktiv": the name, when there is one, after the number.
QString changeText(int input, bool active, const QString& name = {});

// What the program says aloud. The window's "Læs op" switches it on and off; the walk test
// speaks its requests and results through it; without speech, OK and fejl are a short sound.
class Speaker {
public:
    enum class Cue { Ok, Fault };

    virtual ~Speaker() = default;

    // False where no speech engine or no voice is installed; then unavailableReason() says
    // what to install, for the tooltip of the disabled option.
    virtual bool available() const = 0;
    virtual QString unavailableReason() const = 0;

    // "Læs op". Off by default; isEnabled() is false while no speech is available.
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
    // While a guided test speaks, input changes are not spoken (it says what matters).
    virtual void setGuiding(bool on) = 0;

    // An input change, spoken when reading aloud is on and no guided test runs. A flood
    // keeps only the newest change waiting.
    virtual void announceChange(int input, bool active) = 0;
    // A request or result of the guided test, spoken when reading aloud is on; waits for
    // what is being said.
    virtual void say(const QString& text) = 0;
    // OK or fejl: said when reading aloud is on, otherwise a short sound.
    virtual void cue(Cue cue) = 0;
};

// Speech through Qt TextToSpeech with a Danish voice (speech-dispatcher with espeak-ng on
// Debian), on a thread of its own. The sound for cues is the system bell: one for OK, three
// for fejl. Where an engine is installed, it is unavailable ("Talemotoren starter…") until
// the engine has answered, a few seconds after it was made; availabilityChanged() says when.
class TtsSpeaker final : public QObject, public Speaker {
    Q_OBJECT

public:
    // The default engine, or the one named (tests name one that does not exist).
    explicit TtsSpeaker(QObject* parent = nullptr);
    TtsSpeaker(const QString& engine, QObject* parent);
    ~TtsSpeaker() override;

    bool available() const override { return m_reason.isEmpty(); }
    QString unavailableReason() const override { return m_reason; }
    void setEnabled(bool on) override { m_enabled = on; } // takes effect once available
    bool isEnabled() const override { return m_enabled && available(); }
    void setGuiding(bool on) override;
    void announceChange(int input, bool active) override;
    void say(const QString& text) override;
    void cue(Cue cue) override;

    // The short sound; QApplication::beep unless replaced (tests count the calls).
    void setBell(std::function<void()> bell) { m_bell = std::move(bell); }
    // Names said after the numbers of changed inputs; null: none.
    void setNames(const names::Names* names) { m_names = names; }

signals:
    // available() or unavailableReason() changed: the engine answered or gave up.
    void availabilityChanged();

private:
    class Voice;

    void open(const QString& engine);
    void speakNext();

    QThread* m_thread = nullptr; // null while no engine is installed
    Voice* m_voice = nullptr;    // lives on m_thread
    QTimer* m_bellTimer = nullptr;
    std::function<void()> m_bell;
    QString m_reason;
    QStringList m_guideQueue; // waiting guided-test texts, oldest first
    QString m_change;         // the newest waiting change
    bool m_enabled = false;
    bool m_guiding = false;
    const names::Names* m_names = nullptr;
    bool m_busy = false; // a text was handed to the engine and it has not reported Ready
    QElapsedTimer m_since;
    int m_bellsLeft = 0;
};
