#pragma once

#include <QString>

class QWidget;

// Where the program's messages go: a modal box in the program, a list in tests.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the text with one OK button and returns when it has been closed.
    virtual void MsgBox(const QString& text) = 0;
};

class MessageBoxSink final : public MessageSink {
public:
    explicit MessageBoxSink(QString title) : m_title(std::move(title)) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void MsgBox(const QString& text) override;

private:
    QString m_title;
    QWidget* m_parent = nullptr;
};
