#pragma once

#include "frame/framegate.h"
#include "state/formstate.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPixmap>
#include <QString>
#include <array>
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
namespace names {
class Names;
}

class HistoryList final : public QAbstractScrollArea, public FrameView {
    Q_OBJECT

public:
    // While changes stream in, the list is repainted at most this often.
    static constexpr qint64 kPaintMs = 500;

    explicit HistoryList(const ChangeHistory& history, QWidget* parent = nullptr);

    // False, and the list says so, when the text is not a filter.
    bool setFilter(const QString& text);
    bool filterValid() const { return m_valid; }
    // Whether the list shows this event: what "Gem CSV…" saves.
    bool shows(const ChangeEvent& e) const;
    bool filterShowsAll() const { return m_valid && m_filter.all; }

    int rowCount() const;
    // The event in row `row` (0 = newest), as the list shows it.
    const ChangeEvent& eventAt(int row) const;
    // Row `row` as text: "12:34:56.789  73  5.9  aktiv  120 ms", the input's name after its
    // contact when it has one: "… 5.9 Blok 3 øst  aktiv …". A row's tooltip.
    QString rowText(int row) const;
    // The columns as drawn, header and row `row`: time, input, module.contact (unless
    // hidden), the new state ("til"/"fra" beside its coloured dot), time since the previous
    // change.
    QStringList headerCells() const;
    QStringList rowCells(int row) const;
    // Without the module.contact column, for a narrow list; its rows' tooltips still say it.
    void setModuleShown(bool shown);
    // The inputs' names, shown after the contact; call namesChanged() when one changes.
    void setNames(const names::Names* names) {
        m_names = names;
        namesChanged();
    }
    void namesChanged();

    // The history changed: new events or cleared.
    void historyChanged() { requestFrame(); }
    void paintFrame() override;

    // "1234 ms", "12,3 s", "15 min", or "" for an input's first change.
    static QString sinceText(qint64 ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Columns {
        int h, input, number, module, mark, state, since, sinceWidth;
    };
    struct CachedRow {
        quint64 seq = 0; // the event's sequence number + 1; 0 for none
        QPixmap picture;
    };
    // The parts of a row that repeat, each drawn once on the row's background: the input's
    // number, and the new state's dot and word. Made for one row height and column widths.
    struct Tiles {
        int h = 0, number = 0, state = 0;
        qreal ratio = 0;
        std::array<QPixmap, FormState::kInputCount> numbers;
        std::array<QPixmap, 2> marks; // inactive, active: the dot and the word
    };

    Columns columns() const;
    const QPixmap& rowPicture(quint64 seq, const Columns& c);
    QPixmap tile(int width, int h) const;
    const QPixmap& numberTile(int input, const Columns& c);
    const QPixmap& markTile(bool active, const Columns& c);
    void forgetPictures();
    void repaintRows();
    void rebuildMatches();
    int takeNew();
    void updateScrollRange();
    void growScrollRange();
    QRect sliderAt(int maximum) const;
    quint64 seqAt(int row) const;
    int rowHeight() const;
    int visibleRows() const;
    QStringList cells(const ChangeEvent& e) const;

    const ChangeHistory& m_history;
    HistoryFilter m_filter;
    bool m_valid = true;
    std::deque<quint64> m_matches; // with a filter: the matching sequence numbers, oldest first
    quint64 m_seen = 0;            // events up to here are taken into the list
    quint64 m_firstKept = 0;
    std::array<CachedRow, 64> m_rows; // more than are ever in sight
    Tiles m_tiles;
    QElapsedTimer m_sincePaint;
    bool m_rangeStale = false; // the scroll bar's maximum lags behind the rows
    const names::Names* m_names = nullptr;
    bool m_moduleShown = true;
};
