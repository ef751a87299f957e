#pragma once

#include "diag/walktest.h"

#include <QDateTime>
#include <QFont>
#include <QTimer>
#include <QWidget>
#include <memory>

class ChangeFeed;
class MessageSink;
class Speaker;
class GridView;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// The walk test's own window, readable from a few metres: the module range, the request in
// large letters ("Aktivér modul 5, kontakt 1"), "Forrige", "Gentag", "Spring over" and "Stop"
// (each with a key, for a person under the layout with a keyboard: Backspace, G, Space,
// Escape), and the report with its grid, which can be saved as text or CSV. Reads changes
// from the feed; speaks through the speaker; asks through the message sink before an unsaved
// report is thrown away. The request's letters grow with the window, to be read across a room
// when it is maximised. A top-level window even with a parent; closing it stops a running
// test.
class WalkTestWindow final : public QWidget {
    Q_OBJECT

public:
    WalkTestWindow(ChangeFeed& feed, Speaker& speaker, MessageSink& messages,
                   QWidget* parent = nullptr);
    ~WalkTestWindow() override;

    // The test now or last run; null before the first Start.
    const WalkTest* test() const { return m_test.get(); }
    // The buttons, for tests and for the window that opens this one.
    QSpinBox* fromModule() const { return m_from; }
    QSpinBox* toModule() const { return m_to; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* skipButton() const { return m_skip; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* repeatButton() const { return m_repeat; }
    QPushButton* stopButton() const { return m_stop; }
    // The range a new test starts with: modules 1 to `modules` (the counts), while no test
    // has been run yet.
    void setConfiguredModules(int modules);
    // A report with results that has not been saved since.
    bool unsaved() const;
    QString request() const;
    // The request's font, which grows with the window.
    QFont requestFont() const;
    QString reportShown() const;
    // Writes the report: CSV when the name ends in .csv, text otherwise. False with a
    // message shown in the window (and in *error) when the file cannot be written.
    bool saveReport(const QString& path, QString* error = nullptr);

signals:
    void runningChanged(bool running);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    // Names after the contacts in the request and the report; null: none.
    void setNames(const names::Names* names) { m_names = names; }

private:
    const names::Names* m_names = nullptr;
    void begin();
    void fitFonts();
    void finish();
    void skip();
    void back();
    void repeat();
    void stop();
    bool mayDiscard(const QString& question);
    QString header() const;
    void onChange(int input, bool active, qint64 timeMs);
    void settled(const QList<int>& indices);
    void showState();
    // The request, or while the tested modules are not quiet, what moves.
    void showRequest();
    void tickQuiet();
    void chooseFileAndSave();

    ChangeFeed& m_feed;
    Speaker& m_speaker;
    MessageSink& m_messages;
    std::unique_ptr<WalkTest> m_test;
    QSpinBox* m_from = nullptr;
    QSpinBox* m_to = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_skip = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_repeat = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_request = nullptr;
    QLabel* m_last = nullptr;
    QLabel* m_progress = nullptr;
    GridView* m_grid = nullptr;
    QPlainTextEdit* m_report = nullptr;
    QDateTime m_startedAt;
    // Looks at the time while a test runs: an answer is decided, and the wait for quiet ends,
    // when time has passed, with no change to say so.
    QTimer m_quietTimer;
    bool m_saved = true;
};
