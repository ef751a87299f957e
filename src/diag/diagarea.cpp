#include "diag/diagarea.h"

#include "diag/historyfeed.h"
#include "diag/historylist.h"
#include "diag/walktestwindow.h"
#include "history/changehistory.h"
#include "history/csv.h"
#include "history/recorder.h"
#include "state/messagesink.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>

namespace {

constexpr int kTickMs = 1000;

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
      m_form(form), m_markers(parts.history, parts.lamps),
      m_choose([this](const QString& caption, const QString& filter) {
          return QFileDialog::getSaveFileName(&m_form, caption, QString(), filter);
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
    showRecording(); // --record may have started one
    tick();
}

// The walk test window reads the feed and the speaker, which go with this.
DiagArea::~DiagArea() {
    delete m_walk;
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
    m_list->setToolTip(QStringLiteral("Skift på indgangene, nyeste øverst"));

    auto* filterLabel = place(new QLabel(&form), "diagFilterLabel", {x, a.top() + 2, 30, 16});
    filterLabel->setText(QStringLiteral("Filter"));
    m_filter = place(new QLineEdit(&form), "diagFilter", {x + 32, a.top(), w - 32, 19});
    m_filter->setPlaceholderText(QStringLiteral("73, 33-48, m5"));
    m_filter->setToolTip(QStringLiteral("Vis kun en indgang (73), et interval (33-48) eller et "
                                        "modul (m5); flere adskilt med komma. Ctrl+F"));
    filterLabel->setBuddy(m_filter);

    m_clear = place(new QPushButton(&form), "diagClear", {x, a.top() + 23, narrow, 19});
    m_clear->setText(QStringLiteral("Ryd"));
    m_clear->setToolTip(QStringLiteral("Tøm listen og mærkerne på lamperne"));
    m_saveCsv = place(new QPushButton(&form), "diagSaveCsv",
                      {x + narrow + 4, a.top() + 23, w - narrow - 4, 19});
    m_saveCsv->setText(QStringLiteral("Gem CSV…"));

    m_record = place(new QPushButton(&form), "diagRecord", {x, a.top() + 46, narrow, 19});
    m_record->setText(QStringLiteral("Optag"));
    m_record->setCheckable(true);
    m_record->setToolTip(QStringLiteral("Optag alt, der sendes og modtages, i en fil"));
    m_recordStatus = place(new QLabel(&form), "diagRecordStatus",
                           {x + narrow + 6, a.top() + 48, w - narrow - 6, 16});

    m_walkButton = place(new QPushButton(&form), "diagWalk", {x, a.top() + 69, 96, 19});
    m_walkButton->setText(QStringLiteral("Gennemgang…"));
    m_walkButton->setToolTip(QStringLiteral("Prøv kontakterne én for én"));
    m_readAloud =
        place(new QCheckBox(&form), "diagReadAloud", {x + 104, a.top() + 70, w - 104, 17});
    m_readAloud->setText(QStringLiteral("Læs op"));
    m_readAloud->setToolTip(QStringLiteral("Sig hvert skift højt"));

    m_summary = place(new QLabel(&form), "diagSummary", {x, a.top() + 94, w, 40}, 7);
    m_summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_summary->setWordWrap(true);

    m_checkLine =
        place(new QLabel(&form), "diagModuleCheck", {a.left(), a.top() + 140, a.width(), 16}, 7);
    m_checkLine->setTextFormat(Qt::RichText);
    m_checkLine->setToolTip(ModuleCheck::explanation());

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

void DiagArea::setConfiguredModules(std::optional<int> modules) {
    m_configured = modules;
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
    requestFrame();
}

void DiagArea::paintFrame() {
    // QLabel repaints only when its text changes.
    m_checkLine->setText(m_check.html());
    if (const QString tip = moduleCheckToolTip(); tip != m_checkTip) {
        m_checkTip = tip;
        m_checkLine->setToolTip(tip);
    }
    m_summary->setText(summaryText());
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
    QString text = QStringLiteral("Skift: %1").arg(m_history.total() - m_history.firstKept());
    if (m_history.dropped() > 0)
        text += QStringLiteral(" (ældste %1 glemt)").arg(m_history.dropped());
    return text + QStringLiteral("\nUstabile: ") +
           (unstable.any() ? ModuleCheck::list(unstable, 4) : QStringLiteral("ingen"));
}

QString DiagArea::recordingText() const {
    if (!m_recorder.isRecording())
        return {};
    return QStringLiteral("%1  %2").arg(elapsedText(m_recorder.elapsedMs()),
                                        sizeText(m_recorder.bytesWritten()));
}

void DiagArea::chooseCsv() {
    const QString path =
        m_choose(QStringLiteral("Gem skift som CSV"), QStringLiteral("CSV (*.csv);;Alle (*)"));
    if (!path.isEmpty())
        saveCsv(path);
}

bool DiagArea::saveCsv(const QString& path) {
    QSaveFile file(path);
    const bool ok =
        file.open(QIODevice::WriteOnly) && csv::writeHistory(file, m_history) && file.commit();
    if (!ok) {
        m_messages.MsgBox(QStringLiteral("Kan ikke gemme %1: %2")
                              .arg(QFileInfo(path).fileName(), file.errorString()));
    }
    return ok;
}

void DiagArea::recordToggled(bool on) {
    if (on && !m_recorder.isRecording()) {
        const QString path = m_choose(QStringLiteral("Optag til fil"),
                                      QStringLiteral("Optagelse (*.s88rec);;Alle (*)"));
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
        m_messages.MsgBox(
            QStringLiteral("Kan ikke optage i %1: %2").arg(QFileInfo(path).fileName(), error));
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
        if (!m_speaker->available()) {
            const QSignalBlocker quiet(m_readAloud);
            m_readAloud->setChecked(false);
            m_readAloud->setEnabled(false);
            m_readAloud->setToolTip(m_speaker->unavailableReason());
        }
    }
    return *m_speaker;
}

void DiagArea::openWalkTest() {
    if (!m_walk)
        m_walk = new WalkTestWindow(m_changes, speaker(), &m_form); // a window of its own
    m_walk->show();
    m_walk->raise();
    m_walk->activateWindow();
}
