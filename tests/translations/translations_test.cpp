// The choice of language from the user's list, and the German catalogue against the texts of
// the command table.
#include "shell/commandtable.h"
#include "translations/translations.h"

#include <QCoreApplication>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace quenbry;

namespace {

void removeTranslations() {
    for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

} // namespace

TEST(Translations, FirstLanguageWithACatalogueUnlessEnglishComesFirst) {
    const struct {
        QStringList languages;
        QString chosen;
        QString file; // the File menu's caption
        QString no;   // a button Qt's own catalogue names
    } cases[] = {
        {{QStringLiteral("de-DE")},
         QStringLiteral("de"),
         QStringLiteral("Datei"),
         QStringLiteral("&Nein")},
        {{QStringLiteral("fr-FR"), QStringLiteral("de-AT")},
         QStringLiteral("de"),
         QStringLiteral("Datei"),
         QStringLiteral("&Nein")},
        {{QStringLiteral("C"), QStringLiteral("de")},
         QStringLiteral("de"),
         QStringLiteral("Datei"),
         QStringLiteral("&Nein")},
        {{QStringLiteral("en-GB"), QStringLiteral("de")},
         QString(),
         QStringLiteral("File"),
         QStringLiteral("&No")},
        {{QStringLiteral("fr")}, QString(), QStringLiteral("File"), QStringLiteral("&No")},
        {{}, QString(), QStringLiteral("File"), QStringLiteral("&No")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.languages.join(u':').toStdString());
        EXPECT_EQ(installTranslations(c.languages), c.chosen);
        EXPECT_EQ(QCoreApplication::translate("CommandTable", "File"), c.file);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), c.no);
        removeTranslations();
    }
}

// A caption written without QT_TRANSLATE_NOOP is never collected by lupdate, so it has no
// entry in the catalogue: every caption and tool tip of the table must have one.
TEST(Translations, GermanCatalogueHoldsEveryTextOfTheCommandTable) {
    QTranslator german;
    ASSERT_TRUE(german.load(QStringLiteral(":/i18n/quenbry_de.qm")));
    int texts = 0;
    for (const CommandRow &row : commandTable) {
        if (row.kind == CommandRow::Separator)
            continue;
        for (const char *text : {row.caption, row.toolButton.tooltip}) {
            if (!text || !*text)
                continue;
            ++texts;
            EXPECT_FALSE(german.translate("CommandTable", text).isEmpty())
                << row.name << ": \"" << text << "\" has no German translation";
        }
    }
    EXPECT_GT(texts, 60);
}
