#include "diag/diagarea.h"

#include "diag/historyfeed.h"
#include "diag/historylist.h"
#include "diag/nameswindow.h"
#include "diag/timelinewindow.h"
#include "diag/walktestwindow.h"
#include "history/changehistory.h"
#include "history/csv.h"
#include "history/filename.h"
#include "history/recorder.h"
#include "state/messagesink.h"
#include "state/serialcontrol.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>

namespace {

constexpr int kTickMs = 1000;
constexpr qint64 kSavedShownMs = 5000; // how long "Gemt: …" stays
constexpr int kWatchMs = 100; // how often the port is looked at: opened, silent, data again

// The window's own face at the size of its smaller texts.
QFont windowFont(qreal points) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(points);
    return font;
}

// Places a control of the area; the controls take focus from a click, not from Tab, so the
// window's tab order stays as it has always been.
template <typename W> W* place(W* w, const char* name, QRect r, qreal points = 8) {
    w->setObjectName(QLatin1String(name));
    w->setFont(windowFont(points));
    w->setGeometry(r);
    w->setFocusPolicy(w->focusPolicy() == Qt::NoFocus ? Qt::NoFocus : Qt::ClickFocus);
    return w;
}

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
    : m_history(parts.history), m_recorder(parts.recorder), m_messages(parts.messages),
      m_serial(parts.serial), m_form(form), m_markers(parts.history, parts.lamps),
      m_gate(parts.gate),
      m_choose([this](const QString& caption, const QString& filters, QString* chosen) {
          return QFileDialog::getSaveFileName(&m_form, caption, QString(), filters, chosen);
      }) {
    // The walk test and reading aloud take the changes by the same path as test_walkpty.
    followHistory(m_history, m_changes);
    build(form);
    parts.gate.add(*this);
    parts.gate.add(*m_list);
    parts.gate.add(m_markers);
    connectParts();
    connect(&parts.start, &QAbstractButton::clicked, this,
            [this] { m_changesAtStart = ModuleCheck::changesNow(m_history); });
    m_sinceSample.start();
    m_burstsAtSample = m_history.bursts().complete;
    m_tick.start(kTickMs);
    m_watchClock.start();
    connect(&m_watchTimer, &QTimer::timeout, this, &DiagArea::watchPort);
    m_watchTimer.start(kWatchMs);
    showRecording(); // --record may have started one
    tick();
    loadNames();
    m_markers.setNames(&m_names);
    m_list->setNames(&m_names);
}

// The walk test window reads the feed and the speaker, which go with this; the timeline and
// names windows read the names.
DiagArea::~DiagArea() {
    delete m_walk;
    delete m_timeline;
    delete m_namesWindow;
}

void DiagArea::build(QWidget& form) {
    const QRect a = kArea;
    const int listWidth = 262;
    const int x = a.left() + listWidth + 6; // the column of buttons right of the list
    const int w = a.right() - x;
    const int narrow = 72;
    m_list = place(new HistoryList(m_history, &form), "diagHistory",
                   {a.left(), a.top(), listWidth, 137}, 7);
    // Whole rows only: the header and as many changes as fit.
    const int frame = 2 * m_list->frameWidth();
    const int row = m_list->fontMetrics().height();
    m_list->resize(listWidth, (137 - frame) / row * row + frame);
    m_list->setToolTip(
        QCoreApplication::translate("DiagArea", "Skift på indgangene, nyeste øverst"));

    auto* filterLabel = place(new QLabel(&form), "diagFilterLabel", {x, a.top() + 2, 30, 16});
    filterLabel->setText(QCoreApplication::translate("DiagArea", "Filter"));
    m_filter = place(new QLineEdit(&form), "diagFilter", {x + 32, a.top(), w - 32, 19});
    m_filter->setPlaceholderText(QStringLiteral("73, 33-48, m5"));
    m_filter->setToolTip(QCoreApplication::translate(
        "DiagArea", "Vis kun en indgang (73), et interval (33-48) eller et "
                    "modul (m5); flere adskilt med komma. Ctrl+F"));
    filterLabel->setBuddy(m_filter);

    m_clear = place(new QPushButton(&form), "diagClear", {x, a.top() + 23, narrow, 19});
    m_clear->setText(QCoreApplication::translate("DiagArea", "Ryd"));
    m_clear->setToolTip(
        QCoreApplication::translate("DiagArea", "Tøm listen og mærkerne på lamperne"));
    m_saveCsv = place(new QPushButton(&form), "diagSaveCsv",
                      {x + narrow + 4, a.top() + 23, w - narrow - 4, 19});
    m_saveCsv->setText(QCoreApplication::translate("DiagArea", "Gem CSV…"));

    m_record = place(new QPushButton(&form), "diagRecord", {x, a.top() + 46, narrow, 19});
    m_record->setText(QCoreApplication::translate("DiagArea", "Optag"));
    m_record->setCheckable(true);
    m_record->setToolTip(
        QCoreApplication::translate("DiagArea", "Optag alt, der sendes og modtages, i en fil"));
    m_recordStatus = place(new QLabel(&form), "diagRecordStatus",
                           {x + narrow + 6, a.top() + 48, w - narrow - 6, 16});

    m_walkButton = place(new QPushButton(&form), "diagWalk", {x, a.top() + 69, 96, 19});
    m_walkButton->setText(QCoreApplication::translate("DiagArea", "Gennemgang…"));
    m_walkButton->setToolTip(QCoreApplication::translate("DiagArea", "Prøv kontakterne én for én"));
    m_readAloud =
        place(new QCheckBox(&form), "diagReadAloud", {x + 104, a.top() + 70, w - 104, 17});
    m_readAloud->setText(QCoreApplication::translate("DiagArea", "Læs op"));
    m_readAloud->setToolTip(QCoreApplication::translate("DiagArea", "Sig hvert skift højt"));

    m_timelineButton = place(new QPushButton(&form), "diagTimeline", {x, a.top() + 92, 96, 19});
    m_timelineButton->setText(QCoreApplication::translate("DiagArea", "Tidslinje…"));
    m_timelineButton->setToolTip(
        QCoreApplication::translate("DiagArea", "Skiftene tegnet over tid"));
    m_namesButton =
        place(new QPushButton(&form), "diagNames", {x + 100, a.top() + 92, w - 100, 19});
    m_namesButton->setText(QCoreApplication::translate("DiagArea", "Navne…"));
    m_namesButton->setToolTip(QCoreApplication::translate("DiagArea", "Giv indgangene navne"));

    // One line: the changes and unstable inputs, or a note (a file saved, a replay) while
    // there is one; the whole summary in its tooltip.
    m_summary = place(new QLabel(&form), "diagSummary", {x, a.top() + 111, w, 13}, 7);
    m_summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_summary->setWordWrap(true);

    m_checkLine =
        place(new QLabel(&form), "diagModuleCheck", {a.left(), a.top() + 140, a.width(), 16}, 7);
    m_checkLine->setTextFormat(Qt::RichText);
    m_checkLine->setToolTip(ModuleCheck::explanation());
    // The chosen port's device under the counts, right beside the check line.
    m_portLine = place(new QLabel(&form), "diagPort", {x, a.top() + 124, w, 14}, 7);
    m_portLine->setToolTip(QCoreApplication::translate(
        "DiagArea", "Enheden, som den valgte port åbner. En USB-adapter hedder typisk "
                    "/dev/ttyUSB0 eller /dev/ttyACM0; /dev/ttyS0 er en indbygget port."));

    auto* find = new QShortcut(QKeySequence::Find, &form);
    connect(find, &QShortcut::activated, this, [this] { m_filter->setFocus(); });
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
    connect(&m_markers, &LampMarkers::nameWanted, this, [this](int input) { editName(input); });
    connect(m_readAloud, &QCheckBox::toggled, this, [this](bool on) { speaker().setEnabled(on); });
    connect(&m_changes, &ChangeFeed::inputChanged, this, [this](int n, bool active, qint64) {
        if (m_speaker)
            m_speaker->announceChange(n, active);
    });
    connect(&m_tick, &QTimer::timeout, this, &DiagArea::sample);
}

void DiagArea::cleared() {
    m_changesAtStart.fill(0);
    m_burstsAtSample = 0;
    m_list->historyChanged();
    m_markers.historyChanged();
    tick();
}

void DiagArea::setConfiguredModules(std::optional<int> modules, bool sent) {
    m_configured = modules;
    m_countsSent = m_countsSent || sent;
    if (m_walk && modules)
        m_walk->setConfiguredModules(*modules);
    tick();
}

// Bursts a second, over the last tick.
void DiagArea::sample() {
    const quint64 bursts = m_history.bursts().complete;
    const qint64 ms = m_sinceSample.restart();
    if (ms > 0 && bursts >= m_burstsAtSample)
        m_burstRate = double(bursts - m_burstsAtSample) * 1000.0 / double(ms);
    m_burstsAtSample = bursts;
    tick();
}

void DiagArea::tick() {
    m_check = ModuleCheck::of(m_history, m_configured, m_changesAtStart, m_burstRate);
    m_check.countsSent(m_countsSent);
    watchPort();
    requestFrame();
}

// Follows the port: its device when it is chosen or opened, and whether it gives data.
void DiagArea::watchPort() {
    const bool open = m_serial.PortOpen();
    if (m_serial.CommPort() != m_watchedPort || open != m_watchedOpen) {
        m_watchedPort = m_serial.CommPort();
        m_watchedOpen = open;
        m_device = m_serial.deviceName(); // may scan the system's ports: only on a change
    }
    const bool wasSilent = m_watch.silent();
    m_watch.update(open, m_history.bursts().complete, m_watchClock.elapsed());
    if (m_watch.silent() != wasSilent)
        requestFrame();
}

QString DiagArea::checkLineText() const {
    return m_watch.silent() ? PortWatch::silentText(m_watchedPort, m_device) : m_check.text();
}

QString DiagArea::portLineText() const {
    return PortWatch::portText(m_watchedPort, m_device);
}

void DiagArea::paintFrame() {
    // QLabel repaints only when its text changes.
    if (m_watch.silent())
        m_checkLine->setText(QStringLiteral("<span style=\"color:#c00000\">%1</span>")
                                 .arg(checkLineText().toHtmlEscaped()));
    else
        m_checkLine->setText(m_check.html());
    m_portLine->setText(
        m_portLine->fontMetrics().elidedText(portLineText(), Qt::ElideMiddle, m_portLine->width()));
    m_markers.setSilentModules(m_check.missing);
    if (const QString tip = moduleCheckToolTip(); tip != m_checkTip) {
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
    ModuleCheck::Modules unstable;
    for (int n = 1; n <= FormState::kLastInput; ++n)
        unstable[std::size_t(n)] = m_history.input(n).unstable();
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

// A file just saved, else the replay's state.
QString DiagArea::noteText() const {
    if (!m_saved.isEmpty() && m_sinceSaved.isValid() && m_sinceSaved.elapsed() < kSavedShownMs)
        return m_saved;
    return m_replayText ? m_replayText() : QString();
}

void DiagArea::noteSaved(const QString& path) {
    const QString full =
        QCoreApplication::translate("DiagArea", "Gemt: %1").arg(QDir::toNativeSeparators(path));
    m_saved = m_summary->fontMetrics().elidedText(full, Qt::ElideMiddle, m_summary->width());
    m_sinceSaved.start();
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
    QSaveFile file(path);
    const HistoryList& list = *m_list;
    const bool ok =
        file.open(QIODevice::WriteOnly) &&
        csv::writeHistory(
            file, m_history, separator, [&list](const ChangeEvent& e) { return list.shows(e); },
            m_names.isEmpty() ? nullptr : &m_names) &&
        file.commit();
    if (!ok) {
        m_messages.MsgBox(QCoreApplication::translate("DiagArea", "Kan ikke gemme %1: %2")
                              .arg(QFileInfo(path).fileName(), file.errorString()));
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

// Without speech, "Læs op" is switched off and says what to install.
TtsSpeaker& DiagArea::speaker() {
    if (!m_speaker) {
        m_speaker = std::make_unique<TtsSpeaker>();
        m_speaker->setNames(&m_names);
        if (!m_speaker->available()) {
            const QSignalBlocker quiet(m_readAloud);
            m_readAloud->setChecked(false);
            m_readAloud->setEnabled(false);
            m_readAloud->setToolTip(m_speaker->unavailableReason());
        }
    }
    return *m_speaker;
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

TimelineWindow& DiagArea::openTimeline() {
    if (!m_timeline)
        m_timeline = new TimelineWindow(
            m_history, m_names, m_gate, m_messages,
            [this] { return m_configured.value_or(10) * 16; }, &m_form);
    m_timeline->show();
    m_timeline->raise();
    m_timeline->activateWindow();
    return *m_timeline;
}

QInputDialog& DiagArea::editName(int input) {
    if (!m_nameEditor) {
        m_nameEditor = new QInputDialog(&m_form);
        m_nameEditor->setWindowTitle(QCoreApplication::translate("DiagArea", "Navn"));
        m_nameEditor->setInputMode(QInputDialog::TextInput);
        connect(m_nameEditor, &QInputDialog::textValueSelected, this, [this](const QString& text) {
            if (!m_names.setName(m_editedInput, text)) {
                m_messages.MsgBox(QCoreApplication::translate(
                                      "DiagArea", "Et navn har højst %1 tegn og ingen linjeskift")
                                      .arg(names::kMaxLength));
                return;
            }
            QString why;
            if (!names::save(names::defaultPath(), m_names, &why))
                m_messages.MsgBox(QCoreApplication::translate("DiagArea", "%1 kan ikke skrives: %2")
                                      .arg(names::defaultPath(), why));
            if (m_namesWindow)
                m_namesWindow->refresh();
            m_list->namesChanged();
            if (m_timeline)
                m_timeline->view().requestFrame();
        });
    }
    m_editedInput = input;
    m_nameEditor->setLabelText(
        QCoreApplication::translate("DiagArea", "Indgang %1 (modul %2, kontakt %3)")
            .arg(input)
            .arg((input - 1) / 16 + 1)
            .arg((input - 1) % 16 + 1));
    m_nameEditor->setTextValue(m_names.name(input));
    m_nameEditor->open();
    return *m_nameEditor;
}

NamesWindow& DiagArea::openNames() {
    if (!m_namesWindow) {
        m_namesWindow = new NamesWindow(m_names, names::defaultPath(), m_messages, &m_form);
        connect(m_namesWindow, &NamesWindow::namesChanged, this, [this] {
            m_list->namesChanged();
            if (m_timeline)
                m_timeline->view().requestFrame();
        });
    }
    m_namesWindow->show();
    m_namesWindow->raise();
    m_namesWindow->activateWindow();
    return *m_namesWindow;
}

void DiagArea::openWalkTest() {
    if (!m_walk) {
        m_walk = new WalkTestWindow(m_changes, speaker(), m_messages, &m_form); // own window
        m_walk->setNames(&m_names);
    }
    if (m_configured)
        m_walk->setConfiguredModules(*m_configured);
    m_walk->show();
    m_walk->raise();
    m_walk->activateWindow();
}
