#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>

struct ChangeEvent;
class QDateTime;

// The bridge's topics, all under the prefix P (the URL's path, default "s88"):
//
//   P/status             retained  "online" / "offline" (the last will)
//   P/link               retained  "started" / "stopped" / "lost": the serial link
//   P/track/sensor/N     retained  "ACTIVE" / "INACTIVE": input N (1..200) as the lamps show it
//   P/event              not kept  one JSON object per change: seq, time, time_ms, input,
//                                  module, contact, state, since_ms (the --history fields);
//                                  seq counts the changes: one sent again after a lost
//                                  connection has the seq it had
//   P/check              retained  the module check as JSON, at most once a second (the
//                                  window's rule: history/modulecheck.h)
//   P/dropped            retained  changes dropped while the broker was away (beyond 10,000)
//   P/counts/set         taken     "L,M,R", with --mqtt-commands only: as Indsæt (s)
//   P/counts/result      not kept  JSON: {"ok":true,"counts":"L,M,R"} or {"ok":false,"reason":…}
//   homeassistant/device/NODE/config  retained, with --mqtt-discovery: the board as one
//                                  device with a binary sensor for each counted input
//
// Each state is answered at once with the true one when another client publishes a different
// one on P/track/sensor/N (JMRI does so when a sensor is set by hand in its tables).
//
// "track/sensor/N" with ACTIVE/INACTIVE is what a JMRI MQTT connection uses for sensor MSN by
// default, so setting JMRI's channel to "P/" is all JMRI needs.
namespace topics {

inline constexpr const char* kActive = "ACTIVE";
inline constexpr const char* kInactive = "INACTIVE";
inline constexpr const char* kOnline = "online";
inline constexpr const char* kOffline = "offline";

QString status(const QString& prefix);
QString link(const QString& prefix);
QString sensor(const QString& prefix, int input);
QString sensors(const QString& prefix); // P/track/sensor/+
QString event(const QString& prefix);
QString check(const QString& prefix);
QString dropped(const QString& prefix);
QString countsSet(const QString& prefix);
QString countsResult(const QString& prefix);
// The discovery node id: "s88_" and the prefix with '/' as '_', '_' as "-_" and '-' as "--",
// so that two prefixes never give the same one ("club/hall": "s88_club_hall").
QString node(const QString& prefix);
// The board's discovery config, and a filter for the one-input configs earlier versions
// published (homeassistant/binary_sensor/NODE/inputN/config).
QString deviceDiscovery(const QString& prefix);
QString oldDiscoveries(const QString& prefix);
// Input N's entity id as Home Assistant is asked to make it: "binary_sensor.s88_club_hall_input17"
// (lower case, every run of other characters one '_').
QString entityId(const QString& prefix, int input);
// "Blok 3 øst (indgang 73)" for a named input, else "Indgang 73": in the chosen language.
QString sensorName(int input, const QString& name);
// The number N of "P/track/sensor/N" (1..200), or 0 for any other topic.
int sensorOf(const QString& prefix, QStringView topic);

QByteArray statePayload(bool active);
// `time` is the change's wall time, "2026-03-14T08:26:53.589Z".
// With a `name`, a "name" field added last.
QByteArray eventPayload(const ChangeEvent& event, quint64 seq, QByteArrayView time,
                        const QString& name = {});
// The board's discovery config: the board as a device, this program as its origin, the
// availability, and a binary sensor for each of inputs 1..`counted`; inputs counted+1..200 are
// listed with their platform alone, which tells Home Assistant to remove them. `nameOf(n)` is
// input n's name or empty.
QByteArray devicePayload(const QString& prefix, int counted,
                         const std::function<QString(int)>& nameOf);
// Tells Home Assistant that an earlier version's one-input config moves to the device config,
// so the entity keeps what the user gave it.
QByteArray migratePayload();

struct CheckSummary {
    std::optional<int> configured;
    QString reported; // "1-3, 5"
    QString missing;
    QString unknown;
    double burstsPerSecond = 0;
    quint64 givenUp = 0;
    quint64 strayBytes = 0;
    bool countsNotSent = false; // the counts were loaded, not sent: nobody is called missing
    quint64 shortBursts = 0;
    QString shortMissing; // the modules the short bursts left out
    QString unstable;     // the unstable inputs, "73, 75"
};
QByteArray checkPayload(const CheckSummary& summary);

// "L,M,R" into its three texts, each a count by the rule of countvalue::wholeCountByte (the
// counts a box sends, from a text that is a count through and through); nothing when the
// payload is not UTF-8, has not exactly three parts or one of them is not such a count.
std::optional<std::array<QString, 3>> splitCounts(const QByteArray& payload);
QByteArray countsResultPayload(const QString& counts, const QString& refusal);

} // namespace topics
