#pragma once

#include "history/names.h"

#include <QWidget>
#include <functional>

class MessageSink;
class QTableWidget;
class QTableWidgetItem;

// "Navne": a table of all 160 inputs (input, module.contact, name) in which names are set,
// with import and export of the CSV. Edits change the names at once; "Gem" writes the names
// file (nothing else ever does).
class NamesWindow final : public QWidget {
    Q_OBJECT

public:
    using FileChooser =
        std::function<QString(bool save, const QString& caption, const QString& filter)>;

    NamesWindow(names::Names& names, QString path, MessageSink& messages,
                QWidget* parent = nullptr);

    void setFileChooser(FileChooser choose) { m_choose = std::move(choose); }
    QTableWidget& table() { return *m_table; }
    // The three buttons' work once a file is chosen; false after a message.
    bool save();
    bool importFrom(const QString& path);
    bool exportTo(const QString& path);
    void refresh(); // the table from the names
    // "FILE: 2 linjer blev sprunget over:" and a line for each (the first 20).
    static QString problemsText(const QString& path, const QList<names::Problem>& problems);

signals:
    void namesChanged();

private:
    void edited(QTableWidgetItem* item);

    names::Names& m_names;
    QString m_path;
    MessageSink& m_messages;
    QTableWidget* m_table = nullptr;
    FileChooser m_choose;
    bool m_filling = false;
};
