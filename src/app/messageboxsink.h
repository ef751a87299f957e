#pragma once

#include "state/messagesink.h"

class QWidget;

// The program's messages as modal boxes with the window's caption: one OK button, or
// Ja and Nej for a question.
class MessageBoxSink final : public MessageSink {
public:
    explicit MessageBoxSink(QString title) : m_title(std::move(title)) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void MsgBox(const QString& text) override;
    bool Question(const QString& text) override;

private:
    QString m_title;
    QWidget* m_parent = nullptr;
};
