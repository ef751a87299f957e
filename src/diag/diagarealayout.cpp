// The diagnostics area's controls and how they lie in it: the list on the left, the filter and
// buttons right of it, the module check along the bottom.

#include "diag/diagarea.h"
#include "diag/historylist.h"
#include "diag/readable.h"
#include "diag/statuslabel.h"
#include "history/modulecheck.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

template <typename W> W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setToolTip(tip);
    b->setMinimumWidth(0);
    b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return b;
}

} // namespace

void DiagArea::build() {
    m_list = named(new HistoryList(m_history, this), "diagHistory");
    m_list->setModuleShown(false); // the row's tooltip says it
    m_list->setToolTip(
        QCoreApplication::translate("DiagArea", "Skift på indgangene, nyeste øverst"));

    auto* filterLabel = named(new QLabel(QCoreApplication::translate("DiagArea", "Filter"), this),
                              "diagFilterLabel");
    m_filter = named(new QLineEdit(this), "diagFilter");
    m_filter->setPlaceholderText(QStringLiteral("73, 33-48, m5"));
    m_filter->setToolTip(QCoreApplication::translate(
        "DiagArea", "Vis kun en indgang (73), et interval (33-48) eller et "
                    "modul (m5); flere adskilt med komma. Ctrl+F"));
    filterLabel->setBuddy(m_filter);

    m_clear = button(this, "diagClear", tr("&Ryd"),
                     QCoreApplication::translate("DiagArea", "Tøm listen og mærkerne på lamperne"));
    m_saveCsv = button(this, "diagSaveCsv", tr("&Gem CSV…"), tr("Gem de viste skift i en fil"));
    m_record = button(
        this, "diagRecord", tr("&Optag"),
        QCoreApplication::translate("DiagArea", "Optag alt, der sendes og modtages, i en fil"));
    m_record->setCheckable(true);
    m_walkButton = button(this, "diagWalk", tr("G&ennemgang…"),
                          QCoreApplication::translate("DiagArea", "Prøv kontakterne én for én"));
    m_timelineButton = button(this, "diagTimeline", tr("&Tidslinje…"),
                              QCoreApplication::translate("DiagArea", "Skiftene tegnet over tid"));
    m_namesButton = button(this, "diagNames", tr("&Navne…"),
                           QCoreApplication::translate("DiagArea", "Giv indgangene navne"));
    m_historyButton = button(this, "diagHistoryWindow", tr("&Historik…"),
                             tr("Skiftene i et vindue for sig, som kan gøres stort"));
    m_mqttButton = button(this, "diagMqtt", tr("&MQTT…"), tr("Forbindelsen til en MQTT-broker"));
    m_viewButton = button(this, "diagView", tr("&Visning…"), tr("Sprog, zoom og farvehjælp"));
    m_readAloud = named(new QCheckBox(tr("&Læs op"), this), "diagReadAloud");
    m_readAloud->setToolTip(QCoreApplication::translate("DiagArea", "Sig hvert skift højt"));
    // Disabled, it still tells why when it is clicked.
    m_readAloud->installEventFilter(this);
    m_recordStatus = named(new StatusLabel(this), "diagRecordStatus");

    // One line: the changes and unstable inputs, or a note (a file saved, a replay) while
    // there is one; the whole summary in its tooltip.
    m_summary = named(new StatusLabel(this), "diagSummary");
    // The chosen port's device under the counts.
    m_portLine = named(new StatusLabel(this), "diagPort");
    m_portLine->setToolTip(QCoreApplication::translate(
        "DiagArea", "Enheden, som den valgte port åbner. En USB-adapter hedder typisk "
                    "/dev/ttyUSB0 eller /dev/ttyACM0; /dev/ttyS0 er en indbygget port."));
    m_checkLine = named(new StatusLabel(this), "diagModuleCheck");
    m_checkLine->setTextFormat(Qt::RichText);
    m_checkLine->setToolTip(ModuleCheck::explanation());
    for (QLabel* line : {m_summary, m_portLine, m_checkLine, m_recordStatus}) {
        line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        line->setMinimumWidth(0);
    }

    auto* find = new QShortcut(QKeySequence::Find, &m_form);
    connect(find, &QShortcut::activated, this, [this] { m_filter->setFocus(); });
    arrange();
    readable::chainTabs(tabChain());
}

// The list takes the left half; right of it the filter, three rows of three buttons, "Læs op"
// with the recording's state, the summary and the port; the module check under both.
void DiagArea::arrange() {
    auto* controls = new QGridLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setHorizontalSpacing(4);
    controls->setVerticalSpacing(2);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(findChild<QLabel*>(QStringLiteral("diagFilterLabel")));
    filterRow->addWidget(m_filter, 1);
    controls->addLayout(filterRow, 0, 0, 1, 3);
    QPushButton* const rows[3][3] = {{m_clear, m_saveCsv, m_record},
                                     {m_walkButton, m_timelineButton, m_namesButton},
                                     {m_historyButton, m_mqttButton, m_viewButton}};
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col)
            controls->addWidget(rows[r][col], r + 1, col);
    }
    controls->addWidget(m_readAloud, 4, 0);
    controls->addWidget(m_recordStatus, 4, 1, 1, 2);
    controls->addWidget(m_summary, 5, 0, 1, 3);
    controls->addWidget(m_portLine, 6, 0, 1, 3);
    controls->setRowStretch(7, 1);
    for (int col = 0; col < 3; ++col)
        controls->setColumnStretch(col, 1);

    m_list->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(m_list, 48);
    top->addLayout(controls, 52);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top, 1);
    layout->addWidget(m_checkLine);
}

QList<QWidget*> DiagArea::tabChain() const {
    return {m_list,          m_filter,     m_clear,          m_saveCsv,
            m_record,        m_walkButton, m_timelineButton, m_namesButton,
            m_historyButton, m_mqttButton, m_viewButton,     m_readAloud};
}
