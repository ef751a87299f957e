#pragma once

#include <QWidget>

class ChangeHistory;
class FrameGate;
class HistoryList;
class QLineEdit;
namespace names {
class Names;
}

// The change history in a window of its own ("Historik…"), which can be made as large as its
// user likes: the same changes as the diagnostics area's list, every column shown, and a
// filter of its own read by the same rules. Painted through the window's frame gate.
class HistoryWindow final : public QWidget {
    Q_OBJECT

public:
    HistoryWindow(const ChangeHistory& history, FrameGate& gate, const names::Names* names,
                  QWidget* parent = nullptr);

    HistoryList& list() { return *m_list; }
    QLineEdit& filter() { return *m_filter; }

private:
    HistoryList* m_list = nullptr;
    QLineEdit* m_filter = nullptr;
};
