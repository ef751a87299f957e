#include "launch/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace translations {

void install(QCoreApplication& app, Language language) {
    language::setCurrent(language);
    // Another language chosen before in this run goes first.
    for (QTranslator* earlier : app.findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(earlier);
        delete earlier;
    }
    // Danish stays exactly what it always was, Qt's own dialogs included.
    if (language == Language::Danish)
        return;
    const QString code = language::code(language);
    // Qt's own texts: file dialogs, standard buttons.
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_") + code,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    auto* own = new QTranslator(&app);
    if (own->load(QStringLiteral(":/i18n/s88monitor_") + code))
        QCoreApplication::installTranslator(own);
    else
        delete own;
}

} // namespace translations
