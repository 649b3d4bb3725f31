#pragma once
// The program in the user's language: its own catalogue and Qt's (the file and print dialogs,
// the message boxes' buttons), chosen from the languages the user reads.

#include <QLocale>
#include <QString>
#include <QStringList>

namespace quenbry {

// Installs the translations for the first of `languages` (most preferred first, as LANGUAGE,
// LC_ALL, LC_MESSAGES and LANG give them) that the program has a catalogue for, and returns
// that language's name. English, the language of the program's own texts, ends the search: it
// needs no catalogue. Returns "" when the program stays in English.
QString installTranslations(const QStringList &languages = QLocale::system().uiLanguages());

} // namespace quenbry
