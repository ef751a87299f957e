#include "diag/walktest.h"

#include "state/protocol.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>

WalkTest::WalkTest(int firstModule, int lastModule)
    : m_first(std::clamp(firstModule, 1, kLastModule)),
      m_last(std::clamp(lastModule, m_first, kLastModule)) {
    for (int m = m_first; m <= m_last; ++m)
        for (int c = 1; c <= kContacts && protocol::inputOf(m, c) <= kLastInput; ++c)
            m_results.append(Result{m, c});
    m_ownChange.fill(kNever);
}

bool WalkTest::tests(int input) const {
    const int m = protocol::moduleOf(input);
    return input >= 1 && input <= kLastInput && m >= m_first && m <= m_last;
}

QList<int> WalkTest::start(const QList<int>& activeNow, qint64 nowMs,
                           const QHash<int, qint64>& lastChanges) {
    m_active.fill(false);
    m_carried.clear();
    m_bounceInput = 0;
    m_background.clear();
    for (int n : activeNow)
        if (n >= 1 && n <= kLastInput)
            m_active[n] = true;
    for (auto it = lastChanges.begin(); it != lastChanges.end(); ++it)
        if (it.key() >= 1 && it.key() <= kLastInput)
            m_ownChange[std::size_t(it.key())] = it.value();
    m_latest = std::max(m_latest, nowMs);
    m_current = 0;
    m_finished = false;
    QList<int> settled;
    ask(settled, nowMs);
    return settled;
}

void WalkTest::dropAnswer() {
    m_sinceAsk.clear();
    m_pressed = false;
    m_together = 0;
    m_firstPress = kNever;
    m_held.reset();
}

void WalkTest::clearAsk(qint64 timeMs) {
    dropAnswer();
    m_noise.clear();
    m_askedAt = timeMs;
}

void WalkTest::unrest(qint64 timeMs) {
    dropAnswer();
    m_restlessAt = timeMs;
}

bool WalkTest::stirredBefore(int input, qint64 timeMs) const {
    return std::any_of(m_results.begin(), m_results.end(), [&](const Result& r) {
        const qint64 own = m_ownChange[std::size_t(r.input())];
        return r.input() != input && own != kNever && own > timeMs - kQuietBeforeMs;
    });
}

QList<int> WalkTest::restless(qint64 nowMs) const {
    if (!running() || m_restlessAt == kNever || m_firstPress != kNever || m_held)
        return {}; // not waiting, or an answer under way in quiet
    qint64 latest = m_restlessAt;
    for (const Result& r : m_results)
        latest = std::max(latest, m_ownChange[std::size_t(r.input())]);
    if (nowMs - latest >= kQuietBeforeMs)
        return {};
    QList<int> inputs;
    for (const Result& r : m_results)
        if (m_ownChange[std::size_t(r.input())] > latest - kQuietBeforeMs)
            inputs.append(r.input());
    return inputs;
}

QList<int> WalkTest::answer(Outcome outcome, int other, qint64 timeMs) {
    QList<int> inputs = m_sinceAsk;
    inputs.append(m_results[m_current].input());
    m_held = Held{outcome, other, timeMs, inputs};
    return {};
}

QList<int> WalkTest::tick(qint64 nowMs) {
    m_latest = std::max(m_latest, nowMs);
    if (!running() || !m_held || nowMs - m_held->releasedAt < kQuietAfterMs)
        return {};
    const Held held = *m_held;
    m_held.reset();
    return settle(held.outcome, held.other, held.releasedAt);
}

QList<int> WalkTest::settlePast(std::optional<qint64> nowMs) {
    QList<int> settled = tick(nowMs.value_or(m_latest));
    m_held.reset();
    return settled;
}

// Asks for the contact at m_current, settling it at once (and moving on) while the asked
// input is already active. An input still held from the press that settled the last contact
// (both halves of a short are rarely released in the same report) is waited out instead.
void WalkTest::ask(QList<int>& settled, qint64 timeMs) {
    for (; m_current < m_results.size(); ++m_current) {
        clearAsk(timeMs);
        const int asked = m_results[m_current].input();
        if (!m_active[asked] || m_carried.contains(asked))
            return;
        m_results[m_current].outcome = Outcome::Stuck;
        settled.append(m_current);
    }
    m_current = -1;
    m_finished = true;
}

QList<int> WalkTest::settle(Outcome outcome, int other, qint64 timeMs) {
    Result& r = m_results[m_current];
    r.outcome = outcome;
    r.other = other;
    m_bounceInput = outcome == Outcome::WrongInput ? other : r.input();
    m_bounceUntil = timeMs + kSettleMs;
    m_carried.clear();
    // The answer's inputs moved because they were asked to, not on their own.
    m_ownChange[std::size_t(r.input())] = kNever;
    for (int n : std::as_const(m_sinceAsk)) {
        m_ownChange[std::size_t(n)] = kNever;
        if (m_active[n])
            m_carried.append(n);
    }
    QList<int> settled{m_current};
    ++m_current;
    ask(settled, timeMs);
    return settled;
}

// An input other than the asked one is background when it is outside the tested modules,
// or, at its first press since the request, changed on its own from kQuietMs before the
// request on; it stays so until the next request.
bool WalkTest::isBackground(int input, bool active) {
    if (!tests(input) || m_noise.contains(input))
        return true;
    if (!active || m_sinceAsk.contains(input))
        return false;
    const qint64 own = m_ownChange[std::size_t(input)];
    if (own == kNever || own < m_askedAt - kQuietMs)
        return false;
    m_noise.append(input);
    return true;
}

QList<int> WalkTest::change(int input, bool active, qint64 timeMs) {
    if (input < 1 || input > kLastInput || m_active[input] == active)
        return {};
    // An answer whose quiet has passed is decided before this change, which comes after it.
    QList<int> settled = tick(timeMs);
    m_active[input] = active;
    if (!running()) {
        m_ownChange[std::size_t(input)] = timeMs;
        return settled;
    }
    if (m_held && m_held->inputs.contains(input))
        return {}; // the answer's own bounce, or the release of its other half
    settled += judge(input, active, timeMs);
    return settled;
}

QList<int> WalkTest::judge(int input, bool active, qint64 timeMs) {
    if (input == m_bounceInput && timeMs < m_bounceUntil)
        return {};
    if (!active && m_carried.removeOne(input))
        return {}; // the last answer's input let go
    const int asked = m_results[m_current].input();
    if (input != asked && isBackground(input, active)) {
        ++m_background[input];
        m_ownChange[std::size_t(input)] = timeMs;
        if (tests(input) && (m_firstPress != kNever || m_held))
            unrest(timeMs);
        return {};
    }
    m_ownChange[std::size_t(input)] = timeMs;
    // Quiet around the answer: nothing else moves in the tested modules.
    if (m_held) {
        unrest(timeMs);
        return {};
    }
    if (active) {
        if (m_firstPress == kNever) {
            if (stirredBefore(input, timeMs)) {
                unrest(timeMs);
                return {};
            }
            m_firstPress = timeMs;
        } else if (timeMs - m_firstPress > kTogetherMs) {
            unrest(timeMs);
            return {};
        }
    } else if (m_firstPress != kNever &&
               !(input == asked ? m_pressed : m_sinceAsk.contains(input))) {
        unrest(timeMs); // an input outside the answer let go during it
        return {};
    }
    if (input == asked) {
        if (active) {
            m_pressed = true;
            // Something that went active while the contact was waiting and is still active
            // came with it.
            for (int n : std::as_const(m_sinceAsk))
                if (m_active[n]) {
                    m_together = n;
                    break;
                }
            return {};
        }
        // A release without its press (held over from the last contact, or a press taken as
        // a bounce) only makes the contact ready to be asked.
        if (!m_pressed)
            return {};
        return answer(m_together ? Outcome::AlsoActive : Outcome::Ok, m_together, timeMs);
    }
    if (active) {
        if (!m_sinceAsk.contains(input)) // a chattering input is listed once
            m_sinceAsk.append(input);
        if (m_pressed && !m_together)
            m_together = input;
        return {};
    }
    // Another input went inactive: a full pulse of it while the asked one never came is the
    // asked contact wired to that input.
    if (!m_pressed && m_sinceAsk.contains(input))
        return answer(Outcome::WrongInput, input, timeMs);
    return {};
}

QList<int> WalkTest::skip(std::optional<qint64> nowMs) {
    QList<int> settled = settlePast(nowMs);
    if (!running())
        return settled;
    Result& r = m_results[m_current];
    r.outcome = Outcome::Skipped;
    settled.append(m_current);
    ++m_current;
    m_bounceInput = 0;
    m_carried.clear();
    ask(settled, nowMs.value_or(m_latest));
    return settled;
}

QList<int> WalkTest::back(std::optional<qint64> nowMs) {
    QList<int> settled = settlePast(nowMs);
    if (!running())
        return settled;
    if (m_current > 0)
        --m_current;
    m_results[m_current].outcome = Outcome::Untested;
    m_results[m_current].other = 0;
    m_bounceInput = 0;
    m_carried.clear();
    ask(settled, nowMs.value_or(m_latest));
    return settled;
}

QList<int> WalkTest::repeat(std::optional<qint64> nowMs) {
    QList<int> settled = settlePast(nowMs);
    if (running())
        clearAsk(nowMs.value_or(m_latest));
    return settled;
}

void WalkTest::stop(std::optional<qint64> nowMs) {
    settlePast(nowMs);
    m_current = -1;
}

QString contactName(int input) {
    return QCoreApplication::translate("WalkTest", "%1.%2 (indgang %3)")
        .arg(protocol::moduleOf(input))
        .arg(protocol::contactOf(input))
        .arg(input);
}

QString outcomeText(const WalkTest::Result& r) {
    switch (r.outcome) {
    case WalkTest::Outcome::Ok:
        return QCoreApplication::translate("WalkTest", "OK");
    case WalkTest::Outcome::WrongInput:
        return QCoreApplication::translate("WalkTest", "forkert: kom som %1")
            .arg(contactName(r.other));
    case WalkTest::Outcome::AlsoActive:
        return QCoreApplication::translate("WalkTest", "fejl: også %1").arg(contactName(r.other));
    case WalkTest::Outcome::Stuck:
        return QCoreApplication::translate("WalkTest", "fejl: allerede aktiv");
    case WalkTest::Outcome::Skipped:
        return QCoreApplication::translate("WalkTest", "sprunget over");
    case WalkTest::Outcome::Untested:
        break;
    }
    return QCoreApplication::translate("WalkTest", "ikke testet");
}

QChar outcomeMark(WalkTest::Outcome outcome) {
    switch (outcome) {
    case WalkTest::Outcome::Ok:
        return u'O';
    case WalkTest::Outcome::WrongInput:
        return u'F';
    case WalkTest::Outcome::AlsoActive:
        return u'D';
    case WalkTest::Outcome::Stuck:
        return u'H';
    case WalkTest::Outcome::Skipped:
        return u'S';
    case WalkTest::Outcome::Untested:
        break;
    }
    return u'.';
}

QString reportGrid(const QList<WalkTest::Result>& results) {
    QString out = QCoreApplication::translate("WalkTest", "Kontakt  ");
    for (int c = 1; c <= WalkTest::kContacts; ++c)
        out += QStringLiteral("%1").arg(c, 3);
    out += u'\n';
    int module = 0;
    for (const WalkTest::Result& r : results) {
        if (r.module != module) {
            if (module)
                out += u'\n';
            module = r.module;
            out += QCoreApplication::translate("WalkTest", "Modul %1 ").arg(module, 2);
        }
        out += QStringLiteral("  ") + outcomeMark(r.outcome);
    }
    if (module)
        out += u'\n';
    out += QCoreApplication::translate(
        "WalkTest", "O ok, F forkert indgang, D to på én gang, H allerede aktiv, "
                    "S sprunget over, . ikke testet\n");
    return out;
}

namespace {

// "2.3": module and contact, as the summary names them.
QString shortName(int input) {
    return QStringLiteral("%1.%2").arg(protocol::moduleOf(input)).arg(protocol::contactOf(input));
}

} // namespace

QString reportSummary(const QList<WalkTest::Result>& results) {
    QStringList found;
    QList<int> named; // wrong inputs already named as one half of a swapped pair
    qsizetype ok = 0;
    qsizetype untested = 0;
    for (const WalkTest::Result& r : results) {
        const QString name = shortName(r.input());
        switch (r.outcome) {
        case WalkTest::Outcome::Ok:
            ++ok;
            break;
        case WalkTest::Outcome::WrongInput: {
            if (named.contains(r.input()))
                break;
            const auto partner = std::find_if(results.begin(), results.end(), [&](const auto& o) {
                return o.input() == r.other && o.outcome == WalkTest::Outcome::WrongInput &&
                       o.other == r.input();
            });
            if (partner != results.end()) {
                named << r.other;
                found << QCoreApplication::translate("WalkTest", "%1 og %2 er byttet om")
                             .arg(name, shortName(r.other));
            } else {
                found << QCoreApplication::translate("WalkTest", "%1 kom som %2")
                             .arg(name, shortName(r.other));
            }
            break;
        }
        case WalkTest::Outcome::AlsoActive:
            found << QCoreApplication::translate("WalkTest", "%1 giver også %2")
                         .arg(name, shortName(r.other));
            break;
        case WalkTest::Outcome::Stuck:
            found << QCoreApplication::translate("WalkTest", "%1 sidder fast").arg(name);
            break;
        case WalkTest::Outcome::Skipped:
            found << QCoreApplication::translate("WalkTest", "%1 svarer ikke").arg(name);
            break;
        case WalkTest::Outcome::Untested:
            ++untested;
            break;
        }
    }
    if (found.isEmpty())
        found << (ok ? QCoreApplication::translate("WalkTest", "ingen fejl fundet")
                     : QCoreApplication::translate("WalkTest", "intet testet"));
    QString text = found.join(QStringLiteral("; "));
    text[0] = text[0].toUpper();
    if (untested > 0 && untested < results.size())
        text += QCoreApplication::translate("WalkTest", " (%1 ikke testet)").arg(untested);
    return text;
}

QString restlessText(const QList<int>& inputs) {
    if (inputs.isEmpty())
        return {};
    QStringList modules;
    QStringList names;
    for (int n : inputs) {
        const QString module = QString::number(protocol::moduleOf(n));
        if (!modules.contains(module))
            modules << module;
        names << shortName(n);
    }
    const QString moving =
        inputs.size() == 1
            ? QCoreApplication::translate("WalkTest", "Uro på modul %1: 1 indgang skifter – venter")
                  .arg(modules.join(QStringLiteral(", ")))
            : QCoreApplication::translate("WalkTest",
                                          "Uro på modul %1: %2 indgange skifter – venter")
                  .arg(modules.join(QStringLiteral(", ")))
                  .arg(inputs.size());
    return moving + u'\n' + names.join(QStringLiteral(", "));
}

QString reportBackground(const QMap<int, int>& background) {
    QString out;
    for (auto it = background.begin(); it != background.end(); ++it)
        out += QCoreApplication::translate("WalkTest", "%1: %2 skift\n")
                   .arg(contactName(it.key()))
                   .arg(it.value());
    return out;
}

QString reportText(const WalkTest& test, const QString& header, const names::Names* names) {
    QString out = header + u'\n' + reportSummary(test.results()) + QStringLiteral("\n\n") +
                  reportText(test.results(), names);
    const QString background = reportBackground(test.background());
    if (!background.isEmpty())
        out += QCoreApplication::translate("WalkTest",
                                           "\nAktivitet udenfor testen (ikke brugt som svar):\n") +
               background;
    return out;
}

QString reportText(const QList<WalkTest::Result>& results, const names::Names* names) {
    QString out;
    for (const WalkTest::Result& r : results) {
        const QString name = names ? names->name(r.input()) : QString();
        out += QCoreApplication::translate("WalkTest", "Modul %1, kontakt %2 (indgang %3%4): %5\n")
                   .arg(r.module)
                   .arg(r.contact)
                   .arg(r.input())
                   .arg(name.isEmpty() ? QString() : QStringLiteral(", ") + name)
                   .arg(outcomeText(r));
    }
    return out + u'\n' + reportGrid(results);
}

QString reportCsv(const QList<WalkTest::Result>& results) {
    static const char* const kNames[] = {"untested", "ok",    "wrong_input",
                                         "together", "stuck", "skipped"};
    QString out = QStringLiteral("module,contact,input,result,other_input\n");
    for (const WalkTest::Result& r : results)
        out += QStringLiteral("%1,%2,%3,%4,%5\n")
                   .arg(r.module)
                   .arg(r.contact)
                   .arg(r.input())
                   .arg(QLatin1StringView(kNames[int(r.outcome)]))
                   .arg(r.other ? QString::number(r.other) : QString());
    return out;
}
