#include "diag/historywindow.h"

#include "diag/historylist.h"
#include "frame/framegate.h"
#include "history/changehistory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

HistoryWindow::HistoryWindow(const ChangeHistory& history, FrameGate& gate,
                             const names::Names* names, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(tr("Historik"));
    m_list = new HistoryList(history, this);
    m_list->setObjectName(QStringLiteral("historyWindowList"));
    m_list->setNames(names);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("historyWindowFilter"));
    m_filter->setPlaceholderText(QStringLiteral("73, 33-48, m5"));
    m_filter->setToolTip(tr("Vis kun en indgang (73), et interval (33-48) eller et modul (m5); "
                            "flere adskilt med komma"));
    auto* label = new QLabel(tr("&Filter"), this);
    label->setBuddy(m_filter);

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_filter, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    resize(520, 420);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool valid = m_list->setFilter(text);
        m_filter->setStyleSheet(valid ? QString() : QStringLiteral("background: #ffd0d0"));
    });
    connect(&history, &ChangeHistory::eventsAdded, m_list, &HistoryList::historyChanged);
    connect(&history, &ChangeHistory::cleared, m_list, &HistoryList::historyChanged);
    gate.add(*m_list); // leaves the gate when it goes
}
