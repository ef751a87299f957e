#pragma once

#include "diag/changefeed.h"
#include "diag/lampmarkers.h"
#include "diag/speaker.h"
#include "frame/framegate.h"
#include "history/modulecheck.h"
#include "history/names.h"
#include "history/portwatch.h"

#include <QElapsedTimer>
#include <QList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class ChangeHistory;
class HistoryList;
class HistoryWindow;
class MessageSink;
class NamesWindow;
class TimelineWindow;
class QAbstractButton;
class QCheckBox;
class QInputDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class Recorder;
class SerialControl;
class SettingsStore;
class Station;
class ViewDialog;
class WalkTestWindow;

// The diagnostics in the window's lower-left corner, below the cards and left of the monitor
// (the window's layout places it; its own controls are laid out inside it): the change
// history as a list with a filter, "Ryd" and "Gem CSV…", "Historik…" for the list in a
// window of its own, a line that checks the modules, recording ("Optag"), the walk test,
// reading aloud, "MQTT…" and "Visning…"; and on the lamps, markers for unstable inputs and
// their statistics as tooltips. Reads the history and the recorder; writes neither except
// history.clear() and starting or stopping a recording. It must go before the history, the
// recorder and the gate.
class DiagArea final : public QWidget, public FrameView {
    Q_OBJECT

public:
    struct Parts {
        Station& station; // its history, recorder, names, counts and rate; its line watched
        FrameGate& gate;
        std::array<QWidget*, FormState::kLampCount> lamps; // the lamps, as widgets
        QAbstractButton& start;                            // "since Start" counts from its clicks
        MessageSink& messages;
        SettingsStore& settings; // "Visning…" keeps its choices there
    };
    DiagArea(QWidget& form, const Parts& parts);
    ~DiagArea() override;

    // What "Gem CSV…" and "Optag" do once a file is chosen. False, after a message, when it
    // cannot be written. The CSV holds what the list shows (its filter applied), its cells
    // separated by `separator`.
    bool saveCsv(const QString& path, char separator = ',');
    bool startRecording(const QString& path);
    // Asks for a file to write; tests answer instead of a dialog. Empty: cancelled. `filters`
    // are a dialog's name filters; the one chosen goes to `*chosen`.
    using FileChooser =
        std::function<QString(const QString& caption, const QString& filters, QString* chosen)>;
    // The save dialog's choices for "Gem CSV…": commas, or semicolons for spreadsheets that
    // expect them.
    static const QString kCsvComma;
    static const QString kCsvSemicolon;
    void setFileChooser(FileChooser choose) { m_choose = std::move(choose); }

    // A line under the summary that says how a replay stands; empty: none.
    void setReplayText(std::function<QString()> text);
    // The summary beside the list, as shown.
    QString summary() const { return summaryText(); }
    // The inputs' names, from the names file beside the settings.
    const names::Names& names() const { return m_names; }
    TimelineWindow& openTimeline();
    NamesWindow& openNames();
    // The small editor for one input's name (a double-click on its lamp); OK saves the file.
    QInputDialog& editName(int input);

    HistoryList& list() { return *m_list; }
    LampMarkers& markers() { return m_markers; }
    // The history's changes as the walk test and reading aloud take them.
    ChangeFeed& changes() { return m_changes; }
    QLineEdit& filter() { return *m_filter; }
    QPushButton& clearButton() { return *m_clear; }
    QPushButton& recordButton() { return *m_record; }
    QPushButton& historyButton() { return *m_historyButton; }
    QPushButton& mqttButton() { return *m_mqttButton; }
    QPushButton& viewButton() { return *m_viewButton; }
    QCheckBox& readAloudBox() { return *m_readAloud; }
    // The area's controls in the order Tab takes them; the window chains them after its own.
    QList<QWidget*> tabChain() const;
    // "Historik…" and "Visning…", opened (made on first use).
    HistoryWindow& openHistory();
    ViewDialog& openView();
    // The speech engine "Læs op" opens; empty: the system's. Before its first use (tests name
    // one that does not exist).
    void setSpeechEngine(const QString& engine) { m_engine = engine; }
    QString moduleCheckText() const { return m_check.text(); }
    // A line after the module check's explanation in its tooltip (the MQTT bridge's state),
    // read at every tick; none: nothing added.
    void setCheckStatus(std::function<QString()> status) { m_checkStatus = std::move(status); }
    QString moduleCheckToolTip() const;
    // The line where the module check stands: the check, or while a started port gives no
    // data, the line saying so.
    QString checkLineText() const;
    // The chosen port and its device, beside the module check.
    QString portLineText() const;
    QString recordingText() const;

    // Brings the module check, the counts and the recording's size up to date now (a timer
    // does it every second).
    void tick();
    void paintFrame() override;

signals:
    // "Farvehjælp" was turned on or off in "Visning…".
    void colourHelpChanged(bool on);
    // "MQTT…" was clicked.
    void mqttWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void arrange();
    void speechChanged();
    void namesChanged();
    void connectParts();
    void countsChanged();
    void cleared();
    void recordToggled(bool on);
    void showRecording();
    void chooseCsv();
    void openWalkTest();
    void loadNames();
    TtsSpeaker& speaker();
    QString summaryText() const;
    QString noteText() const;
    // The port gives no data, and it is a port, not a replay (whose end, or a pause in the
    // recording, is no wrong port).
    bool portSilent() const;
    void noteSaved(const QString& path);
    // A note in the summary's line for a few seconds; `full` in its tooltip.
    void showNote(const QString& note, const QString& full);

    Station& m_station;
    ChangeHistory& m_history;
    Recorder& m_recorder;
    MessageSink& m_messages;
    const SerialControl& m_serial;
    QWidget& m_form;
    LampMarkers m_markers;
    ChangeFeed m_changes;
    std::unique_ptr<TtsSpeaker> m_speaker; // made on first use: opening speech can take long
    WalkTestWindow* m_walk = nullptr;
    FrameGate& m_gate;
    names::Names& m_names; // the station's
    TimelineWindow* m_timeline = nullptr;
    NamesWindow* m_namesWindow = nullptr;
    QPushButton* m_timelineButton = nullptr;
    QPushButton* m_namesButton = nullptr;
    QInputDialog* m_nameEditor = nullptr;
    int m_editedInput = 0;
    FileChooser m_choose;
    std::function<QString()> m_replayText;
    QString m_note; // "Gemt: …" or why "Læs op" cannot speak, shown for a few seconds
    QElapsedTimer m_sinceNote;
    QString m_engine;
    SettingsStore& m_settings;
    HistoryWindow* m_historyWindow = nullptr;
    ViewDialog* m_view = nullptr;
    QPushButton* m_historyButton = nullptr;
    QPushButton* m_mqttButton = nullptr;
    QPushButton* m_viewButton = nullptr;

    HistoryList* m_list = nullptr;
    QLineEdit* m_filter = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_saveCsv = nullptr;
    QPushButton* m_record = nullptr;
    QLabel* m_recordStatus = nullptr;
    QPushButton* m_walkButton = nullptr;
    QCheckBox* m_readAloud = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_checkLine = nullptr;
    std::function<QString()> m_checkStatus;
    QString m_checkTip;
    QLabel* m_portLine = nullptr;
    ModuleCheck m_check; // as shown
};
