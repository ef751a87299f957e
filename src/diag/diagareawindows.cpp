// The diagnostics area's windows: the timeline, the names, one name's editor, the walk test,
// the history and the view choices.

#include "diag/diagarea.h"
#include "diag/historylist.h"
#include "diag/historywindow.h"
#include "diag/nameswindow.h"
#include "diag/timelinewindow.h"
#include "diag/viewdialog.h"
#include "diag/walktestwindow.h"
#include "history/station.h"
#include "state/messagesink.h"
#include "state/protocol.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLineEdit>

TimelineWindow& DiagArea::openTimeline() {
    if (!m_timeline)
        m_timeline = new TimelineWindow(
            m_history, m_names, m_gate, m_messages,
            [this] {
                return m_station.configuredModules().value_or(10) * protocol::kInputsPerModule;
            },
            &m_form);
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
            namesChanged();
        });
    }
    m_editedInput = input;
    m_nameEditor->setLabelText(
        QCoreApplication::translate("DiagArea", "Indgang %1 (modul %2, kontakt %3)")
            .arg(input)
            .arg(protocol::moduleOf(input))
            .arg(protocol::contactOf(input)));
    m_nameEditor->setTextValue(m_names.name(input));
    m_nameEditor->open();
    return *m_nameEditor;
}

NamesWindow& DiagArea::openNames() {
    if (!m_namesWindow) {
        m_namesWindow = new NamesWindow(m_names, names::defaultPath(), m_messages, &m_form);
        connect(m_namesWindow, &NamesWindow::namesChanged, this, &DiagArea::namesChanged);
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
    if (const std::optional<int> modules = m_station.configuredModules())
        m_walk->setConfiguredModules(*modules);
    m_walk->show();
    m_walk->raise();
    m_walk->activateWindow();
}

HistoryWindow& DiagArea::openHistory() {
    if (!m_historyWindow) {
        m_historyWindow = new HistoryWindow(m_history, m_gate, &m_names, &m_form);
        m_historyWindow->filter().setText(m_filter->text()); // where the area's list stands
    }
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
    return *m_historyWindow;
}

ViewDialog& DiagArea::openView() {
    if (!m_view) {
        m_view = new ViewDialog(m_settings, m_messages, &m_form);
        connect(m_view, &ViewDialog::colourHelpChanged, this, &DiagArea::colourHelpChanged);
    }
    m_view->show();
    m_view->raise();
    m_view->activateWindow();
    return *m_view;
}

// Every list and picture that shows the names draws them again.
void DiagArea::namesChanged() {
    m_list->namesChanged();
    if (m_historyWindow)
        m_historyWindow->list().namesChanged();
    if (m_timeline)
        m_timeline->view().requestFrame();
}
