#include "diag/nameswindow.h"

#include "diag/readable.h"
#include "state/messagesink.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QString NamesWindow::problemsText(const QString& path, const QList<names::Problem>& problems) {
    QStringList lines{
        QCoreApplication::translate("NamesWindow", "%1: %2 linjer blev sprunget over:")
            .arg(path)
            .arg(problems.size())};
    for (qsizetype i = 0; i < problems.size() && i < 20; ++i)
        lines << names::beskriv(problems[i]);
    if (problems.size() > 20)
        lines << QStringLiteral("…");
    return lines.join(u'\n');
}

NamesWindow::NamesWindow(names::Names& names, QString path, MessageSink& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), m_names(names), m_path(std::move(path)), m_messages(messages),
      m_choose([this](bool save, const QString& caption, const QString& filter) {
          return save ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
                      : QFileDialog::getOpenFileName(this, caption, QString(), filter);
      }) {
    setWindowTitle(QCoreApplication::translate("NamesWindow", "Navne"));
    setObjectName(QStringLiteral("namesWindow"));
    m_table = new QTableWidget(names::kLastInput, 3, this);
    m_table->setHorizontalHeaderLabels({QCoreApplication::translate("NamesWindow", "Indgang"),
                                        QCoreApplication::translate("NamesWindow", "Modul.kontakt"),
                                        QCoreApplication::translate("NamesWindow", "Navn")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* importButton =
        new QPushButton(QCoreApplication::translate("NamesWindow", "Importér…"), this);
    auto* exportButton =
        new QPushButton(QCoreApplication::translate("NamesWindow", "Eksportér…"), this);
    auto* saveButton = new QPushButton(QCoreApplication::translate("NamesWindow", "Gem"), this);
    saveButton->setToolTip(m_path);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(importButton);
    buttons->addWidget(exportButton);
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    auto* all = new QVBoxLayout(this);
    all->addWidget(m_table, 1);
    all->addLayout(buttons);
    resize(420, 520);
    readable::addMnemonics({importButton, exportButton, saveButton});
    refresh();

    connect(m_table, &QTableWidget::itemChanged, this, &NamesWindow::edited);
    connect(saveButton, &QPushButton::clicked, this, &NamesWindow::save);
    const QString filter = QStringLiteral("CSV (*.csv)");
    connect(importButton, &QPushButton::clicked, this, [this, filter] {
        const QString p =
            m_choose(false, QCoreApplication::translate("NamesWindow", "Importér navne"), filter);
        if (!p.isEmpty())
            importFrom(p);
    });
    connect(exportButton, &QPushButton::clicked, this, [this, filter] {
        const QString p =
            m_choose(true, QCoreApplication::translate("NamesWindow", "Eksportér navne"), filter);
        if (!p.isEmpty())
            exportTo(p);
    });
}

void NamesWindow::refresh() {
    m_filling = true;
    for (int n = names::kFirstInput; n <= names::kLastInput; ++n) {
        const int row = n - 1;
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem(
                column == 0 ? QString::number(n)
                            : QStringLiteral("%1.%2").arg((n - 1) / 16 + 1).arg((n - 1) % 16 + 1));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            m_table->setItem(row, column, item);
        }
        m_table->setItem(row, 2, new QTableWidgetItem(m_names.name(n)));
    }
    m_filling = false;
}

void NamesWindow::edited(QTableWidgetItem* item) {
    if (m_filling || item->column() != 2)
        return;
    const int input = item->row() + 1;
    if (!m_names.setName(input, item->text())) {
        m_messages.MsgBox(QCoreApplication::translate(
                              "NamesWindow", "Et navn har højst %1 tegn og ingen linjeskift")
                              .arg(names::kMaxLength));
    }
    // Shown as kept: trimmed, or as it was when refused.
    m_filling = true;
    item->setText(m_names.name(input));
    m_filling = false;
    emit namesChanged();
}

bool NamesWindow::save() {
    QString why;
    if (names::save(m_path, m_names, &why))
        return true;
    m_messages.MsgBox(
        QCoreApplication::translate("NamesWindow", "%1 kan ikke skrives: %2").arg(m_path, why));
    return false;
}

bool NamesWindow::importFrom(const QString& path) {
    names::Names read;
    QList<names::Problem> problems;
    QString why;
    if (!names::load(path, read, &problems, &why)) {
        m_messages.MsgBox(
            QCoreApplication::translate("NamesWindow", "%1 kan ikke læses: %2").arg(path, why));
        return false;
    }
    m_names = read;
    refresh();
    emit namesChanged();
    if (!problems.isEmpty())
        m_messages.MsgBox(problemsText(path, problems));
    return true;
}

bool NamesWindow::exportTo(const QString& path) {
    QString why;
    if (names::save(path, m_names, &why))
        return true;
    m_messages.MsgBox(
        QCoreApplication::translate("NamesWindow", "%1 kan ikke skrives: %2").arg(path, why));
    return false;
}
