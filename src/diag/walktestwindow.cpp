#include "diag/walktestwindow.h"

#include "diag/changefeed.h"
#include "diag/readable.h"
#include "diag/speaker.h"
#include "history/pathgate.h"
#include "state/messagesink.h"
#include "state/protocol.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

// The compact result grid: one row of sixteen cells per module, the asked contact framed.
class GridView final : public QWidget {
public:
    explicit GridView(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

    void show(const WalkTest* test) {
        m_test = test;
        updateGeometry();
        update();
    }

    QSize sizeHint() const override {
        const int rows = m_test ? m_test->lastModule() - m_test->firstModule() + 1 : 1;
        return {kLabel + WalkTest::kContacts * kCell, (rows + 1) * kCell};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        for (int c = 1; c <= WalkTest::kContacts; ++c)
            p.drawText(QRect(kLabel + (c - 1) * kCell, 0, kCell, kCell), Qt::AlignCenter,
                       QString::number(c));
        if (!m_test)
            return;
        const QList<WalkTest::Result>& results = m_test->results();
        for (int i = 0; i < results.size(); ++i) {
            const WalkTest::Result& r = results[i];
            const int y = (r.module - m_test->firstModule() + 1) * kCell;
            if (r.contact == 1) {
                p.setPen(palette().color(QPalette::WindowText));
                p.drawText(QRect(0, y, kLabel - 6, kCell), Qt::AlignRight | Qt::AlignVCenter,
                           QCoreApplication::translate("WalkTestWindow", "Modul %1").arg(r.module));
            }
            const QRect cell(kLabel + (r.contact - 1) * kCell + 2, y + 2, kCell - 4, kCell - 4);
            p.setPen(i == m_test->current() ? QPen(QColor(0x1f, 0x5f, 0xd0), 3) : QPen(Qt::gray));
            p.setBrush(colour(r.outcome));
            p.drawRoundedRect(cell, 3, 3);
            p.setPen(r.outcome == WalkTest::Outcome::Untested ? Qt::gray : Qt::white);
            p.drawText(cell, Qt::AlignCenter, outcomeMark(r.outcome));
        }
    }

private:
    static constexpr int kCell = 30;
    static constexpr int kLabel = 80;

public:
    static QColor colour(WalkTest::Outcome outcome) {
        switch (outcome) {
        case WalkTest::Outcome::Ok:
            return QColor(0x2e, 0x9d, 0x3a);
        case WalkTest::Outcome::WrongInput:
            return QColor(0xd0, 0x2b, 0x2b);
        case WalkTest::Outcome::AlsoActive:
            return QColor(0xe0, 0x8a, 0x00);
        case WalkTest::Outcome::Stuck:
            return QColor(0x8e, 0x3c, 0xb0);
        case WalkTest::Outcome::Skipped:
            return QColor(0x80, 0x80, 0x80);
        case WalkTest::Outcome::Untested:
            break;
        }
        return QColor(0xf4, 0xf4, 0xf4);
    }

private:
    const WalkTest* m_test = nullptr;
};

namespace {

QString spokenContact(const WalkTest::Result& r) {
    return QCoreApplication::translate("WalkTestWindow", "modul %1, kontakt %2")
        .arg(danishNumber(r.module), danishNumber(r.contact));
}

QString spokenOther(int input) {
    return spokenContact({protocol::moduleOf(input), protocol::contactOf(input)});
}

} // namespace

WalkTestWindow::WalkTestWindow(ChangeFeed& feed, Speaker& speaker, MessageSink& messages,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), m_feed(feed), m_speaker(speaker), m_messages(messages) {
    setWindowTitle(QCoreApplication::translate("WalkTestWindow", "Gennemgang"));
    m_from = new QSpinBox(this);
    m_to = new QSpinBox(this);
    for (QSpinBox* box : {m_from, m_to})
        box->setRange(1, WalkTest::kLastModule);
    m_start = new QPushButton(QCoreApplication::translate("WalkTestWindow", "Start"), this);
    m_back =
        new QPushButton(QCoreApplication::translate("WalkTestWindow", "Forrige (Backspace)"), this);
    m_repeat = new QPushButton(QCoreApplication::translate("WalkTestWindow", "Gentag (G)"), this);
    m_skip = new QPushButton(
        QCoreApplication::translate("WalkTestWindow", "Spring over (Mellemrum)"), this);
    m_stop = new QPushButton(QCoreApplication::translate("WalkTestWindow", "Stop (Esc)"), this);
    m_save = new QPushButton(QCoreApplication::translate("WalkTestWindow", "Gem…"), this);
    m_request = new QLabel(this);
    m_last = new QLabel(this);
    m_progress = new QLabel(this);
    m_grid = new GridView(this);
    m_report = new QPlainTextEdit(this);
    m_report->setReadOnly(true);
    m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_request->setWordWrap(true);
    m_last->setWordWrap(true);
    fitFonts();

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QCoreApplication::translate("WalkTestWindow", "Modul"), this));
    controls->addWidget(m_from);
    controls->addWidget(new QLabel(QCoreApplication::translate("WalkTestWindow", "til"), this));
    controls->addWidget(m_to);
    controls->addWidget(m_start);
    controls->addStretch();
    for (QPushButton* b : {m_back, m_repeat, m_skip, m_stop, m_save})
        controls->addWidget(b);
    // The keys work wherever the focus is: no button takes Space for a click of its own.
    const std::pair<QPushButton*, QKeySequence> keys[] = {{m_back, Qt::Key_Backspace},
                                                          {m_repeat, Qt::Key_G},
                                                          {m_skip, Qt::Key_Space},
                                                          {m_stop, Qt::Key_Escape}};
    for (const auto& [button, key] : keys) {
        button->setFocusPolicy(Qt::NoFocus);
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_request);
    layout->addWidget(m_last);
    layout->addWidget(m_progress);
    layout->addWidget(m_grid);
    layout->addWidget(m_report, 1);
    resize(820, 640);
    // Alt+letter for the buttons that have no key of their own; G is Gentag's.
    readable::addMnemonics({m_start, m_save}, QStringLiteral("g"));
    readable::chainTabs({m_from, m_to, m_start, m_save, m_report});

    // The range never runs backwards.
    connect(m_from, &QSpinBox::valueChanged, this, [this](int v) {
        if (m_to->value() < v)
            m_to->setValue(v);
    });
    connect(m_to, &QSpinBox::valueChanged, this, [this](int v) {
        if (m_from->value() > v)
            m_from->setValue(v);
    });
    connect(m_start, &QPushButton::clicked, this, &WalkTestWindow::begin);
    connect(m_skip, &QPushButton::clicked, this, &WalkTestWindow::skip);
    connect(m_back, &QPushButton::clicked, this, &WalkTestWindow::back);
    connect(m_repeat, &QPushButton::clicked, this, &WalkTestWindow::repeat);
    connect(m_stop, &QPushButton::clicked, this, &WalkTestWindow::stop);
    connect(m_save, &QPushButton::clicked, this, &WalkTestWindow::chooseFileAndSave);
    connect(&m_feed, &ChangeFeed::inputChanged, this, &WalkTestWindow::onChange);
    m_quietTimer.setInterval(100);
    connect(&m_quietTimer, &QTimer::timeout, this, &WalkTestWindow::tickQuiet);
    showState();
}

void WalkTestWindow::fitFonts() {
    QFont big = font();
    big.setPointSize(readable::requestPoints(size()));
    big.setBold(true);
    m_request->setFont(big);
    big.setPointSize(readable::lastPoints(size()));
    big.setBold(false);
    m_last->setFont(big);
}

void WalkTestWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitFonts();
}

QFont WalkTestWindow::requestFont() const {
    return m_request->font();
}

WalkTestWindow::~WalkTestWindow() {
    if (m_test && m_test->running())
        m_speaker.setGuiding(false);
}

QString WalkTestWindow::request() const {
    return m_request->text();
}

QString WalkTestWindow::reportShown() const {
    return m_report->toPlainText();
}

void WalkTestWindow::setConfiguredModules(int modules) {
    if (m_test || modules < 1)
        return;
    m_from->setValue(1);
    m_to->setValue(std::min(modules, WalkTest::kLastModule));
}

bool WalkTestWindow::unsaved() const {
    return m_test && !m_saved &&
           std::any_of(m_test->results().begin(), m_test->results().end(),
                       [](const auto& r) { return r.outcome != WalkTest::Outcome::Untested; });
}

bool WalkTestWindow::mayDiscard(const QString& question) {
    return !unsaved() || m_messages.Question(question);
}

void WalkTestWindow::begin() {
    if (!mayDiscard(QCoreApplication::translate(
            "WalkTestWindow", "Rapporten er ikke gemt. Start en ny gennemgang alligevel?")))
        return;
    m_test = std::make_unique<WalkTest>(m_from->value(), m_to->value());
    QList<int> active;
    for (int n = 1; n <= ChangeFeed::kLastInput; ++n)
        if (m_feed.isActive(n))
            active.append(n);
    m_last->clear();
    m_startedAt = QDateTime::currentDateTime();
    m_saved = false;
    m_speaker.setGuiding(true);
    m_report->setFocus(); // read-only: it leaves Space, Backspace and G to the keys
    emit runningChanged(true);
    const qint64 now = m_feed.nowMs();
    m_quietTimer.start();
    settled(m_test->start(active, now, m_feed.changedSince(now - WalkTest::kQuietMs)));
}

void WalkTestWindow::tickQuiet() {
    if (!m_test || !m_test->running())
        return;
    const QList<int> indices = m_test->tick(m_feed.nowMs());
    if (indices.isEmpty())
        showRequest();
    else
        settled(indices);
}

void WalkTestWindow::skip() {
    if (m_test && m_test->running())
        settled(m_test->skip(m_feed.nowMs()));
}

void WalkTestWindow::back() {
    if (m_test && m_test->running()) {
        m_last->clear();
        settled(m_test->back(m_feed.nowMs()));
    }
}

void WalkTestWindow::repeat() {
    if (m_test && m_test->running())
        settled(m_test->repeat(m_feed.nowMs()));
}

void WalkTestWindow::stop() {
    if (m_test && m_test->running()) {
        m_test->stop(m_feed.nowMs());
        finish();
    }
}

QString WalkTestWindow::header() const {
    const int first = m_test->firstModule();
    const int last = m_test->lastModule();
    const QString range =
        first == last
            ? QCoreApplication::translate("WalkTestWindow", "modul %1").arg(first)
            : QCoreApplication::translate("WalkTestWindow", "modul %1 til %2").arg(first).arg(last);
    return QCoreApplication::translate("WalkTestWindow", "Gennemgang %1, %2")
        .arg(m_startedAt.toString(
                 // The date and time as the window's language writes them.
                 QCoreApplication::translate("WalkTestWindow", "dd.MM.yyyy 'kl.' HH:mm")),
             range);
}

void WalkTestWindow::finish() {
    m_quietTimer.stop();
    m_speaker.setGuiding(false);
    showState();
    emit runningChanged(false);
}

void WalkTestWindow::onChange(int input, bool active, qint64 timeMs) {
    if (!m_test || !m_test->running())
        return;
    const QList<int> indices = m_test->change(input, active, timeMs);
    if (!indices.isEmpty())
        settled(indices);
    else
        showRequest();
}

// Shows and says what the settled contacts came to, then the next request.
void WalkTestWindow::settled(const QList<int>& indices) {
    if (!indices.isEmpty())
        m_saved = false;
    for (int i : indices) {
        const WalkTest::Result& r = m_test->results().at(i);
        m_last->setText(QCoreApplication::translate("WalkTestWindow", "Modul %1, kontakt %2: %3")
                            .arg(r.module)
                            .arg(r.contact)
                            .arg(outcomeText(r)));
        QPalette palette = m_last->palette();
        palette.setColor(QPalette::WindowText, r.outcome == WalkTest::Outcome::Skipped
                                                   ? this->palette().color(QPalette::WindowText)
                                                   : GridView::colour(r.outcome));
        m_last->setPalette(palette);
        switch (r.outcome) {
        case WalkTest::Outcome::Ok:
            m_speaker.cue(Speaker::Cue::Ok);
            break;
        case WalkTest::Outcome::WrongInput:
            m_speaker.cue(Speaker::Cue::Fault);
            m_speaker.say(QCoreApplication::translate("WalkTestWindow", "kom som ") +
                          spokenOther(r.other));
            break;
        case WalkTest::Outcome::AlsoActive:
            m_speaker.cue(Speaker::Cue::Fault);
            m_speaker.say(QCoreApplication::translate("WalkTestWindow", "også ") +
                          spokenOther(r.other));
            break;
        case WalkTest::Outcome::Stuck:
            m_speaker.cue(Speaker::Cue::Fault);
            m_speaker.say(spokenContact(r) +
                          QCoreApplication::translate("WalkTestWindow", " er allerede aktiv"));
            break;
        case WalkTest::Outcome::Skipped:
        case WalkTest::Outcome::Untested:
            break;
        }
    }
    if (m_test->running()) {
        m_speaker.say(spokenContact(m_test->results().at(m_test->current())));
        showState();
    } else {
        m_speaker.say(QCoreApplication::translate("WalkTestWindow", "færdig"));
        finish();
    }
}

void WalkTestWindow::showState() {
    const bool running = m_test && m_test->running();
    m_start->setEnabled(!running);
    m_from->setEnabled(!running);
    m_to->setEnabled(!running);
    for (QPushButton* b : {m_back, m_repeat, m_skip, m_stop})
        b->setEnabled(running);
    m_save->setEnabled(m_test != nullptr);
    m_grid->show(m_test.get());
    if (!m_test) {
        m_request->setText(
            QCoreApplication::translate("WalkTestWindow", "Vælg moduler og tryk Start"));
        return;
    }
    const QList<WalkTest::Result>& results = m_test->results();
    if (running) {
        showRequest();
        m_progress->setText(QCoreApplication::translate("WalkTestWindow", "Kontakt %1 af %2")
                                .arg(m_test->current() + 1)
                                .arg(results.size()));
    } else {
        m_request->setText(m_test->finished()
                               ? QCoreApplication::translate("WalkTestWindow", "Færdig")
                               : QCoreApplication::translate("WalkTestWindow", "Stoppet"));
        const auto ok = std::count_if(results.begin(), results.end(), [](const auto& r) {
            return r.outcome == WalkTest::Outcome::Ok;
        });
        m_progress->setText(QCoreApplication::translate("WalkTestWindow", "%1 af %2 OK")
                                .arg(ok)
                                .arg(results.size()));
    }
    m_report->setPlainText(reportText(*m_test, header(), m_names));
}

void WalkTestWindow::showRequest() {
    if (!m_test || !m_test->running())
        return;
    const QList<int> moving = m_test->restless(m_feed.nowMs());
    if (!moving.isEmpty()) {
        m_request->setText(restlessText(moving));
        return;
    }
    const WalkTest::Result& r = m_test->results().at(m_test->current());
    const QString name = m_names ? m_names->name(r.input()) : QString();
    m_request->setText(
        QCoreApplication::translate("WalkTestWindow", "Aktivér modul %1, kontakt %2%3")
            .arg(r.module)
            .arg(r.contact)
            .arg(name.isEmpty() ? QString() : QStringLiteral(": ") + name));
}

bool WalkTestWindow::saveReport(const QString& path, QString* error) {
    if (!m_test)
        return false;
    const bool csv = QFileInfo(path).suffix().compare(u"csv", Qt::CaseInsensitive) == 0;
    const QByteArray data =
        (csv ? reportCsv(m_test->results()) : reportText(*m_test, header(), m_names)).toUtf8();
    QString reason;
    if (pathgate::writeWhole(path, data, {}, &reason)) {
        m_saved = true;
        return true;
    }
    const QString why =
        QCoreApplication::translate("WalkTestWindow", "Kunne ikke gemme %1: %2").arg(path, reason);
    m_last->setText(why);
    if (error)
        *error = why;
    return false;
}

void WalkTestWindow::chooseFileAndSave() {
    QString filter = QCoreApplication::translate("WalkTestWindow", "Tekst (*.txt)");
    const QString path = QFileDialog::getSaveFileName(
        this, QCoreApplication::translate("WalkTestWindow", "Gem rapport"),
        QCoreApplication::translate("WalkTestWindow", "gennemgang.txt"),
        QCoreApplication::translate("WalkTestWindow", "Tekst (*.txt);;CSV (*.csv)"), &filter);
    if (path.isEmpty())
        return;
    QString target = path;
    if (QFileInfo(path).suffix().isEmpty())
        target += filter.startsWith(u"CSV") ? QStringLiteral(".csv") : QStringLiteral(".txt");
    saveReport(target);
}

void WalkTestWindow::closeEvent(QCloseEvent* event) {
    if (!mayDiscard(QCoreApplication::translate("WalkTestWindow",
                                                "Rapporten er ikke gemt. Luk alligevel?"))) {
        event->ignore();
        return;
    }
    stop();
    QWidget::closeEvent(event);
}
