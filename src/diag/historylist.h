#pragma once

#include "panel/framegate.h"
#include "state/formstate.h"

#include <QAbstractScrollArea>
#include <QString>
#include <bitset>
#include <deque>
#include <optional>

class ChangeHistory;
struct ChangeEvent;

// Which inputs the history list shows. Typed as terms separated by commas or spaces: an input
// "73", a range "33-48", a module "m5" or modules "m5-7". Empty shows every input.
struct HistoryFilter {
    std::bitset<FormState::kInputCount> inputs; // entry n for input n
    bool all = true;

    bool accepts(int input) const { return all || inputs.test(std::size_t(input)); }
    // Nothing when the text is not a filter.
    static std::optional<HistoryFilter> parse(const QString& text);
};

// The change history, newest first, as a view over the history's own ring: it paints only
// the rows in sight, so a flood of changes costs one repaint per frame and no memory of its
// own (a filter keeps the sequence numbers of its matches). While scrolled down, new changes
// leave the rows in sight where they are; at the top it follows the newest.
class HistoryList final : public QAbstractScrollArea, public FrameView {
    Q_OBJECT

public:
    explicit HistoryList(const ChangeHistory& history, QWidget* parent = nullptr);

    // False, and the list says so, when the text is not a filter.
    bool setFilter(const QString& text);
    bool filterValid() const { return m_valid; }

    int rowCount() const;
    // The event in row `row` (0 = newest), as the list shows it.
    const ChangeEvent& eventAt(int row) const;
    // Row `row` as text: "12:34:56.789  73  5.9  aktiv  120 ms".
    QString rowText(int row) const;

    // The history changed: new events or cleared.
    void historyChanged() { requestFrame(); }
    void paintFrame() override;

    // "1234 ms", "12,3 s", "15 min", or "" for an input's first change.
    static QString sinceText(qint64 ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildMatches();
    int takeNew(quint64 total);
    void updateScrollRange();
    quint64 seqAt(int row) const;
    int rowHeight() const;
    int visibleRows() const;

    const ChangeHistory& m_history;
    HistoryFilter m_filter;
    bool m_valid = true;
    std::deque<quint64> m_matches; // with a filter: the matching sequence numbers, oldest first
    quint64 m_seen = 0;            // events up to here are taken into the list
    quint64 m_firstKept = 0;
};
