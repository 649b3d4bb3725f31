#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quenbry {

namespace {

// Where the build puts the compiled catalogues, inside the program.
const QString catalogueFolder = QStringLiteral(":/i18n");

} // namespace

QString installTranslations(const QStringList &languages) {
    for (const QString &name : languages) {
        const QLocale locale(name);
        // "C" and "POSIX" say nothing about a language; the next entry may.
        if (locale.language() == QLocale::C)
            continue;
        if (locale.language() == QLocale::English)
            return {};
        auto *own = new QTranslator(QCoreApplication::instance());
        if (!own->load(locale, QStringLiteral("quenbry"), QStringLiteral("_"), catalogueFolder)) {
            delete own;
            continue;
        }
        QCoreApplication::installTranslator(own);
        // Qt's catalogue comes with the distribution's Qt translations package; without it
        // the dialogs Qt draws stay in English and the rest is still translated.
        auto *qt = new QTranslator(QCoreApplication::instance());
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        return own->language();
    }
    return {};
}

} // namespace quenbry
