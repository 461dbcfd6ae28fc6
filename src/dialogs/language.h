#pragma once
#include <QString>
#include <vector>

namespace tetrafot {

// The interface language. The texts in the code and the forms are Russian,
// so Russian needs no translation; every other language is a translation
// compiled into the program as ":/i18n/tetrafot_<code>.qm".
struct InterfaceLanguage {
    QString code;   // "ru", "en"
    QString name;   // in the language itself: "Русский", "English"
};

// Russian first, then each embedded translation in the order of its code.
std::vector<InterfaceLanguage> InterfaceLanguages();

// The language to start in: $TETRAFOT_LANG when set and not empty, else the
// "language" value of the settings file's main section, else "ru".
QString ChosenLanguage(const QString& settingsFile);

// Makes the texts built from now on appear in that language: installs its
// translation in the application, or removes the one installed for "ru".
// False, leaving Russian in place, when the program has no such language.
bool SetInterfaceLanguage(const QString& code);

} // namespace tetrafot
