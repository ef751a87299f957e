#include "app/messageboxsink.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

void MessageBoxSink::MsgBox(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessageBoxSink::Question(const QString& text) {
    QMessageBox box(QMessageBox::Question, m_title, text, QMessageBox::NoButton, m_parent);
    QPushButton* yes =
        box.addButton(QCoreApplication::translate("Form1", "Ja"), QMessageBox::YesRole);
    box.setDefaultButton(
        box.addButton(QCoreApplication::translate("Form1", "Nej"), QMessageBox::NoRole));
    box.exec();
    return box.clickedButton() == yes;
}
