#include "app/messageboxsink.h"

#include <QMessageBox>

void MessageBoxSink::MsgBox(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok, m_parent);
    box.exec();
}
