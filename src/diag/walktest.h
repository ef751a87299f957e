#pragma once

#include "history/names.h"
#include "state/protocol.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QtGlobal>
#include <array>
#include <limits>
#include <optional>

// The rules of a guided wiring check ("Gennemgang"), with no window and no clock: the
// contacts of one module or a range of modules are asked for in order, and the input
// changes, fed in the order they happened, decide each contact's result.
//
// While a contact is asked for:
//  - its input goes active and inactive again with nothing else going active: OK;
//  - another input goes active and inactive again while the asked one stays inactive: the
//    contact is wired to that input (WrongInput);
//  - another input goes active while the asked one is active, or is still active from just
//    before: cross-talk or a short (AlsoActive);
//  - the asked input is already active when it is asked for: Stuck, and the test moves on;
//  - the user skips it: Skipped.
// An input that was already active when the contact was asked for is not held against it.
//
// Whatever else moves (a train, a lit coach, a chattering contact) is background, never an
// answer: an input outside the modules under test, and one that changed without being asked
// for in the kQuietMs before the request (or since), is never taken as the asked contact's
// input and never marks a contact wrong or "together". Its changes are counted apart
// (background()). Within the tested modules a quiet input that answers still counts: that is
// the swapped wire the test exists for.
//
// An answer is taken only in quiet: no other input of the tested modules changes from
// kQuietBeforeMs before its first press until kQuietAfterMs after the release that ends it,
// and the inputs of an answer (a short gives two or more) all go active within kTogetherMs of
// the first. Changes of the last answer's own inputs (its release, its bounce) are no unrest.
// An answer that fails this is dropped, the contact stays asked, and the test is restless()
// until the tested modules have been quiet for kQuietBeforeMs. The answer is decided
// kQuietAfterMs after its release: by the first change after that, or by tick().
class WalkTest {
public:
    enum class Outcome { Untested, Ok, WrongInput, AlsoActive, Stuck, Skipped };

    struct Result {
        int module = 0;
        int contact = 0; // 1..16
        Outcome outcome = Outcome::Untested;
        int other = 0; // WrongInput, AlsoActive: the other input; 0 otherwise
        int input() const { return protocol::inputOf(module, contact); }
    };

    static constexpr int kContacts = protocol::kInputsPerModule;
    static constexpr int kLastInput = protocol::kLastInput;
    static constexpr int kLastModule = protocol::kLastModule;
    // A contact shorted by hand bounces. For this long after the release that settled a
    // contact, that input's changes are taken as its bounce, not as the next contact's.
    static constexpr qint64 kSettleMs = 250;
    // An input that changed on its own this long before a request is background for it.
    static constexpr qint64 kQuietMs = 5000;
    // The quiet around an answer: before its first press, after its release.
    static constexpr qint64 kQuietBeforeMs = 1000;
    static constexpr qint64 kQuietAfterMs = 500;
    // The inputs of one answer go active this close together (a short), or it is unrest.
    static constexpr qint64 kTogetherMs = 250;

    // Modules first..last, clamped to 1..kLastModule; contacts past input 200 are left out.
    WalkTest(int firstModule, int lastModule);

    // Asks for the first contact; `activeNow` lists the inputs active at this moment,
    // `lastChanges` when inputs last changed before it (input to time), `nowMs` the time now on
    // the changes' clock. Returns the indices of the results settled at once (stuck
    // contacts), as change() does.
    QList<int> start(const QList<int>& activeNow, qint64 nowMs = 0,
                     const QHash<int, qint64>& lastChanges = {});
    // One input change, in order. Returns the indices (into results()) of the contacts this
    // settled, in order; empty while the asked contact is still open or nothing is asked.
    QList<int> change(int input, bool active, qint64 timeMs);
    // "Spring over": the asked contact is Skipped; returns the settled indices as change().
    // Here, in back(), repeat() and stop(), an answer whose quiet after it has passed by
    // `nowMs` is decided first, and one still in it is dropped.
    // `nowMs` is the time of the new request; without it, that of the latest change.
    QList<int> skip(std::optional<qint64> nowMs = {});
    // "Forrige": the contact before the asked one is untested again and asked for (the first
    // one is asked again). Returns the settled indices as change().
    QList<int> back(std::optional<qint64> nowMs = {});
    // "Gentag": the asked contact is asked for again, as if nothing had happened since.
    // Returns the indices an answer decided first settled, as change().
    QList<int> repeat(std::optional<qint64> nowMs = {});
    // The time now: decides an answer whose quiet after it has passed. Returns the settled
    // indices as change().
    QList<int> tick(qint64 nowMs);
    // Ends the test; contacts not reached stay Untested. An answer whose quiet after it has
    // passed by `nowMs` is decided first.
    void stop(std::optional<qint64> nowMs = {});
    // While the test waits for quiet (an answer was dropped for unrest, and the tested modules
    // have not been quiet for kQuietBeforeMs since), the inputs of the tested modules that
    // changed in the kQuietBeforeMs up to the latest change, in order; empty otherwise, and
    // while an answer is under way.
    QList<int> restless(qint64 nowMs) const;

    bool running() const { return m_current >= 0; }
    bool finished() const { return m_finished; }
    // The index of the contact asked for now, or -1.
    int current() const { return m_current; }
    const QList<Result>& results() const { return m_results; }
    int firstModule() const { return m_first; }
    int lastModule() const { return m_last; }
    bool tests(int input) const;
    // Changes of background inputs while the test ran: input to number of changes.
    const QMap<int, int>& background() const { return m_background; }

private:
    QList<int> settle(Outcome outcome, int other, qint64 timeMs);
    void ask(QList<int>& settled, qint64 timeMs);
    void clearAsk(qint64 timeMs);
    bool isBackground(int input, bool active);
    QList<int> judge(int input, bool active, qint64 timeMs);
    // Holds the answer until the quiet after it has passed.
    QList<int> answer(Outcome outcome, int other, qint64 timeMs);
    // Forgets the answer under way.
    void dropAnswer();
    // Drops the answer under way for unrest: the contact stays asked.
    void unrest(qint64 timeMs);
    // Whether another input of the tested modules than `input` changed in the quiet before.
    bool stirredBefore(int input, qint64 timeMs) const;
    // Decides the held answer when its quiet has passed by `nowMs`, drops it otherwise.
    QList<int> settlePast(std::optional<qint64> nowMs);

    static constexpr qint64 kNever = std::numeric_limits<qint64>::min();

    QList<Result> m_results;
    int m_first = 1;
    int m_last = 1;
    int m_current = -1;
    bool m_finished = false;
    std::array<bool, kLastInput + 1> m_active{};
    // Inputs that went active since the contact was asked for, oldest first.
    QList<int> m_sinceAsk;
    // Of those of the last settled contact, the ones still active when it settled.
    QList<int> m_carried;
    bool m_pressed = false; // the asked input went active
    int m_together = 0;     // first other input active together with the asked one
    int m_bounceInput = 0;  // the input whose release settled the last contact
    qint64 m_bounceUntil = 0;
    qint64 m_askedAt = 0; // when the asked contact was asked for
    qint64 m_latest = 0;  // the time of the latest change
    // Per input: its last change that was no contact's answer, or kNever.
    std::array<qint64, kLastInput + 1> m_ownChange{};
    QList<int> m_noise;           // inputs found to be background since the contact was asked for
    qint64 m_firstPress = kNever; // the first press of the answer under way
    // The answer held for the quiet after its release.
    struct Held {
        Outcome outcome;
        int other;
        qint64 releasedAt;
        QList<int> inputs;
    };
    std::optional<Held> m_held;
    qint64 m_restlessAt = kNever; // when an answer was last dropped for unrest
    QMap<int, int> m_background;
};

// The report, in Danish as the window shows it. "5.3 (indgang 67)" names a contact.
QString contactName(int input);
QString outcomeText(const WalkTest::Result& r);
// One mark per contact for the compact grid: O ok, F wrong input, D together, H stuck,
// S skipped, . untested.
QChar outcomeMark(WalkTest::Outcome outcome);
// A header line and one row of 16 marks per module, with a legend.
QString reportGrid(const QList<WalkTest::Result>& results);
// What was found, in words: "2.3 og 2.9 er byttet om; 1.7 svarer ikke; 4.2 sidder fast".
QString reportSummary(const QList<WalkTest::Result>& results);
// What the window shows in large type while the test waits for quiet, naming the moving
// inputs: "Uro på modul 1: 3 indgange skifter – venter", then "1.4, 1.5, 1.6" on a line.
QString restlessText(const QList<int>& inputs);
// The background inputs and their changes, one a line, or nothing.
QString reportBackground(const QMap<int, int>& background);
// A header with `header` (date, time and range), the summary, every contact with its result,
// the grid and the background activity. With `names`, each contact's name after its input.
QString reportText(const WalkTest& test, const QString& header,
                   const names::Names* names = nullptr);
// Every contact with its result, then the grid.
QString reportText(const QList<WalkTest::Result>& results, const names::Names* names = nullptr);
// module,contact,input,result,other_input with result one of ok, wrong_input, together,
// stuck, skipped, untested; other_input empty where there is none.
QString reportCsv(const QList<WalkTest::Result>& results);
