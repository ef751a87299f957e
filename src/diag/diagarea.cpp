#include "diag/diagarea.h"

#include "diag/historyfeed.h"
#include "diag/historylist.h"
#include "diag/historywindow.h"
#include "diag/nameswindow.h"
#include "diag/statuslabel.h"
#include "diag/timelinewindow.h"
#include "diag/viewdialog.h"
#include "diag/walktestwindow.h"
#include "history/changehistory.h"
#include "history/csv.h"
#include "history/filename.h"
#include "history/pathgate.h"
#include "history/recorder.h"
#include "history/station.h"
#include "state/messagesink.h"
#include "state/serialcontrol.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>

namespace {

constexpr qint64 kNoteShownMs = 5000; // how long "Gemt: …" stays

QString sizeText(quint64 bytes) {
    if (bytes < 10 * 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 10 * 1024 * 1024)
        return QStringLiteral("%1 kB").arg(bytes / 1024);
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

QString elapsedText(qint64 ms) {
    const qint64 s = ms / 1000;
    return s < 3600 ? QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'))
                    : QStringLiteral("%1:%2:%3")
                          .arg(s / 3600)
                          .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                          .arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

DiagArea::DiagArea(QWidget& form, const Parts& parts)
    : QWidget(&form), m_station(parts.station), m_history(parts.station.history()),
      m_recorder(parts.station.recorder()), m_messages(parts.messages),
      m_serial(parts.station.serial()), m_form(form), m_markers(m_history, parts.lamps),
      m_gate(parts.gate), m_names(parts.station.names()),
      m_choose([this](const QString& caption, const QString& filters, QString* chosen) {
          return QFileDialog::getSaveFileName(&m_form, caption, QString(), filters, chosen);
      }),
      m_settings(parts.settings) {
    setObjectName(QStringLiteral("diagArea"));
    // The walk test and reading aloud take the changes by the same path as test_walkpty.
    followHistory(m_history, m_changes);
    build();
    parts.gate.add(*this);
    parts.gate.add(*m_list);
    parts.gate.add(m_markers);
    connectParts();
    connect(&parts.start, &QAbstractButton::clicked, this, [this] {
        m_station.markStart();
        m_markers.restartVeil();
    });
    showRecording(); // --record may have started one
    tick();
    loadNames();
    m_markers.setNames(&m_names);
    m_list->setNames(&m_names);
}

// The walk test window reads the feed and the speaker, which go with this; the timeline,
// names and history windows read the names and the history.
DiagArea::~DiagArea() {
    delete m_walk;
    delete m_timeline;
    delete m_namesWindow;
    delete m_historyWindow;
    delete m_view;
}

void DiagArea::connectParts() {
    connect(&m_history, &ChangeHistory::eventsAdded, this, [this] {
        m_list->historyChanged();
        m_markers.historyChanged();
    });
    connect(&m_history, &ChangeHistory::cleared, this, &DiagArea::cleared);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool valid = m_list->setFilter(text);
        m_filter->setStyleSheet(valid ? QString() : QStringLiteral("background: #ffd0d0"));
    });
    connect(m_clear, &QPushButton::clicked, this, [this] { m_history.clear(); });
    connect(m_saveCsv, &QPushButton::clicked, this, &DiagArea::chooseCsv);
    connect(m_record, &QPushButton::toggled, this, &DiagArea::recordToggled);
    // The window reports the failure; here the button and the status follow.
    connect(&m_recorder, &Recorder::failed, this, [this] { showRecording(); });
    connect(m_walkButton, &QPushButton::clicked, this, &DiagArea::openWalkTest);
    connect(m_timelineButton, &QPushButton::clicked, this, [this] { openTimeline(); });
    connect(m_namesButton, &QPushButton::clicked, this, [this] { openNames(); });
    connect(m_historyButton, &QPushButton::clicked, this, [this] { openHistory(); });
    connect(m_viewButton, &QPushButton::clicked, this, [this] { openView(); });
    connect(m_mqttButton, &QPushButton::clicked, this, &DiagArea::mqttWanted);
    connect(&m_markers, &LampMarkers::nameWanted, this, [this](int input) { editName(input); });
    connect(m_readAloud, &QCheckBox::toggled, this, [this] {
        TtsSpeaker& voice = speaker(); // may turn the box off
        voice.setEnabled(m_readAloud->isChecked());
    });
    connect(&m_changes, &ChangeFeed::inputChanged, this, [this](int n, bool active, qint64) {
        if (m_speaker)
            m_speaker->announceChange(n, active);
    });
    // Every second, with the bursts a second sampled anew.
    connect(&m_station, &Station::sampled, this, &DiagArea::tick);
    connect(&m_station, &Station::countsChanged, this, &DiagArea::countsChanged);
    connect(&m_station, &Station::portWatchChanged, this, [this] { requestFrame(); });
}

void DiagArea::cleared() {
    m_markers.restartVeil();
    m_list->historyChanged();
    m_markers.historyChanged();
    tick();
}

void DiagArea::countsChanged() {
    if (m_walk && m_station.configuredModules())
        m_walk->setConfiguredModules(*m_station.configuredModules());
    tick();
}

void DiagArea::tick() {
    m_check = m_station.checkSinceStart();
    m_station.watchPort();
    requestFrame();
}

bool DiagArea::portSilent() const {
    return m_station.portSilent() && !m_replayText;
}

QString DiagArea::checkLineText() const {
    return portSilent() ? PortWatch::silentText(m_station.watchedPort(), m_station.device())
                        : m_check.text();
}

QString DiagArea::portLineText() const {
    return PortWatch::portText(m_station.watchedPort(), m_station.device());
}

void DiagArea::paintFrame() {
    // QLabel repaints only when its text changes.
    // The line is cut at whole parts, never part-way; its tooltip then begins with all of it.
    const int room = m_checkLine->contentsRect().width();
    bool cut = false;
    if (portSilent()) {
        const QString text = checkLineText();
        const QString shown = m_checkLine->fontMetrics().elidedText(text, Qt::ElideRight, room);
        cut = room > 0 && shown != text;
        m_checkLine->setText(QStringLiteral("<span style=\"color:#c00000\">%1</span>")
                                 .arg((cut ? shown : text).toHtmlEscaped()));
    } else {
        const QString separator = QStringLiteral(" · ");
        m_checkLine->setText(StatusLabel::fitParts(m_check.html().split(separator),
                                                   m_check.text().split(separator), separator,
                                                   m_checkLine->fontMetrics(), room, &cut));
    }
    m_portLine->setText(
        m_portLine->fontMetrics().elidedText(portLineText(), Qt::ElideMiddle, m_portLine->width()));
    m_markers.setSilentModules(m_check.missing, m_serial.PortOpen(), m_check.bursts);
    if (const QString tip =
            (cut ? checkLineText() + QStringLiteral("\n\n") : QString()) + moduleCheckToolTip();
        tip != m_checkTip) {
        m_checkTip = tip;
        m_checkLine->setToolTip(tip);
    }
    const QString summary = summaryText();
    const QString note = noteText();
    const QString line =
        note.isEmpty() ? QString(summary).replace(u'\n', QStringLiteral(" · ")) : note;
    m_summary->setText(
        m_summary->fontMetrics().elidedText(line, Qt::ElideRight, m_summary->width()));
    if (note.isEmpty())
        m_summary->setToolTip(summary);
    m_recordStatus->setText(recordingText());
}

QString DiagArea::moduleCheckToolTip() const {
    const QString status = m_checkStatus ? m_checkStatus() : QString();
    return status.isEmpty() ? ModuleCheck::explanation()
                            : ModuleCheck::explanation() + QLatin1Char('\n') + status;
}

QString DiagArea::summaryText() const {
    const ModuleCheck::Inputs unstable = ModuleCheck::unstableInputs(m_history);
    QString text = QCoreApplication::translate("DiagArea", "Skift: %1")
                       .arg(m_history.total() - m_history.firstKept());
    if (m_history.dropped() > 0)
        text +=
            QCoreApplication::translate("DiagArea", " (ældste %1 glemt)").arg(m_history.dropped());
    text += QCoreApplication::translate("DiagArea", "\nUstabile: ") +
            (unstable.any() ? ModuleCheck::list(unstable, 4)
                            : QCoreApplication::translate("DiagArea", "ingen"));
    const QString note = noteText();
    return note.isEmpty() ? text : text + u'\n' + note;
}

// A file just saved or why "Læs op" cannot speak, else the replay's state.
QString DiagArea::noteText() const {
    if (!m_note.isEmpty() && m_sinceNote.isValid() && m_sinceNote.elapsed() < kNoteShownMs)
        return m_note;
    return m_replayText ? m_replayText() : QString();
}

void DiagArea::noteSaved(const QString& path) {
    const QString full =
        QCoreApplication::translate("DiagArea", "Gemt: %1").arg(QDir::toNativeSeparators(path));
    showNote(m_summary->fontMetrics().elidedText(full, Qt::ElideMiddle, m_summary->width()), full);
}

void DiagArea::showNote(const QString& note, const QString& full) {
    m_note = note;
    m_sinceNote.start();
    m_summary->setToolTip(full);
    requestFrame();
}

void DiagArea::setReplayText(std::function<QString()> text) {
    m_replayText = std::move(text);
    requestFrame();
}

QString DiagArea::recordingText() const {
    if (!m_recorder.isRecording())
        return {};
    return QStringLiteral("%1  %2").arg(elapsedText(m_recorder.elapsedMs()),
                                        sizeText(m_recorder.bytesWritten()));
}

const QString DiagArea::kCsvComma = QStringLiteral("CSV med komma (*.csv)");
const QString DiagArea::kCsvSemicolon = QStringLiteral("CSV med semikolon (*.csv)");

void DiagArea::chooseCsv() {
    const QString comma = QCoreApplication::translate("DiagArea", "CSV med komma (*.csv)");
    const QString semicolon = QCoreApplication::translate("DiagArea", "CSV med semikolon (*.csv)");
    QString chosen = comma;
    const QString caption =
        m_list->filterShowsAll()
            ? QCoreApplication::translate("DiagArea", "Gem skift som CSV")
            : QCoreApplication::translate("DiagArea", "Gem de viste skift som CSV (filter: %1)")
                  .arg(m_filter->text().trimmed());
    QString path = m_choose(caption, comma + QStringLiteral(";;") + semicolon, &chosen);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    saveCsv(path, chosen == semicolon ? ';' : ',');
}

bool DiagArea::saveCsv(const QString& path, char separator) {
    QString why;
    QSaveFile file(path);
    const HistoryList& list = *m_list;
    const bool ok =
        pathgate::writable(path, {}, &why) && file.open(QIODevice::WriteOnly) &&
        csv::writeHistory(
            file, m_history, separator, [&list](const ChangeEvent& e) { return list.shows(e); },
            m_names.isEmpty() ? nullptr : &m_names) &&
        file.commit();
    if (!ok) {
        m_messages.MsgBox(
            QCoreApplication::translate("DiagArea", "Kan ikke gemme %1: %2")
                .arg(QFileInfo(path).fileName(), why.isEmpty() ? file.errorString() : why));
        return false;
    }
    noteSaved(path);
    return true;
}

void DiagArea::recordToggled(bool on) {
    if (on && !m_recorder.isRecording()) {
        const QString path = m_choose(
            QCoreApplication::translate("DiagArea", "Optag til fil"),
            QCoreApplication::translate("DiagArea", "Optagelse (*.s88rec);;Alle (*)"), nullptr);
        if (!path.isEmpty())
            startRecording(path);
    } else if (!on && m_recorder.isRecording()) {
        m_recorder.stop();
    }
    showRecording();
}

bool DiagArea::startRecording(const QString& path) {
    QString error;
    const bool ok = m_recorder.start(path, &error);
    if (!ok) {
        m_messages.MsgBox(QCoreApplication::translate("DiagArea", "Kan ikke optage i %1: %2")
                              .arg(filename::shown(QFileInfo(path).fileName()), error));
    }
    showRecording();
    return ok;
}

// The button shows whether a recording runs, whoever started or stopped it.
void DiagArea::showRecording() {
    const QSignalBlocker quiet(m_record);
    m_record->setChecked(m_recorder.isRecording());
    m_recordStatus->setText(recordingText());
}

// Without speech, "Læs op" is switched off and says what to install: in its tooltip, and in
// the note line when it is clicked.
TtsSpeaker& DiagArea::speaker() {
    if (!m_speaker) {
        m_speaker = m_engine.isEmpty() ? std::make_unique<TtsSpeaker>()
                                       : std::make_unique<TtsSpeaker>(m_engine, nullptr);
        m_speaker->setNames(&m_names);
        connect(m_speaker.get(), &TtsSpeaker::availabilityChanged, this, &DiagArea::speechChanged);
        speechChanged();
    }
    return *m_speaker;
}

// While the engine starts or when there is none, "Læs op" is off and disabled, with the
// reason; once the engine answers it can be turned on.
void DiagArea::speechChanged() {
    if (m_speaker->available()) {
        m_readAloud->setEnabled(true);
        m_readAloud->setToolTip(QCoreApplication::translate("DiagArea", "Sig hvert skift højt"));
        return;
    }
    const bool wanted = m_readAloud->isChecked();
    {
        const QSignalBlocker quiet(m_readAloud);
        m_readAloud->setChecked(false);
    }
    m_speaker->setEnabled(false);
    m_readAloud->setEnabled(false);
    m_readAloud->setToolTip(m_speaker->unavailableReason());
    if (wanted)
        showNote(m_speaker->unavailableReason(), m_speaker->unavailableReason());
}

bool DiagArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_readAloud && !m_readAloud->isEnabled() &&
        event->type() == QEvent::MouseButtonRelease && m_speaker)
        showNote(m_speaker->unavailableReason(), m_speaker->unavailableReason());
    return QWidget::eventFilter(watched, event);
}

void DiagArea::loadNames() {
    const QString path = names::defaultPath();
    QList<names::Problem> problems;
    QString why;
    const bool read = names::load(path, m_names, &problems, &why);
    if (!read || !problems.isEmpty()) {
        // Told once, after the window is up; the file stays as it is until "Gem".
        const QString text =
            read ? NamesWindow::problemsText(path, problems)
                 : QCoreApplication::translate("DiagArea", "%1 kan ikke læses: %2").arg(path, why);
        QTimer::singleShot(0, this, [this, text] { m_messages.MsgBox(text); });
    }
}
