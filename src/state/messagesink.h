#pragma once

#include <QString>

// Where the program's messages go: a modal box in the program, a list in tests.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the text with one OK button and returns when it has been closed.
    virtual void MsgBox(const QString& text) = 0;
    // Asks a yes-or-no question and returns true for yes.
    virtual bool Question(const QString& text) = 0;
};
