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
    // The user's languages, most preferred first, and the catalogue chosen ("" for English).
    const char *cases[][2] = {{"de-DE", "de"}, {"fr-FR:de-AT", "de"},
                              {"C:de", "de"},  {"en-GB:de", ""},
                              {"fr", ""},      {"", ""}};
    for (const auto &[languages, chosen] : cases) {
        SCOPED_TRACE(languages);
        const bool german = *chosen != 0;
        EXPECT_EQ(
            installTranslations(QString::fromLatin1(languages).split(u':', Qt::SkipEmptyParts)),
            QLatin1String(chosen));
        EXPECT_EQ(QCoreApplication::translate("CommandTable", "File"), german ? "Datei" : "File");
        // Qt's own catalogue, for the buttons and dialogs Qt draws, comes with ours.
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), german ? "&Nein" : "&No");
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
