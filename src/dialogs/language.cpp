#include "dialogs/language.h"

#include "settings/iniprofile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>
#include <memory>

namespace tetrafot {

namespace {

const char* const kSourceLanguage = "ru";
// Each language's own name, the one text every translation carries.
const char* const kNameContext = "InterfaceLanguage";
const char* const kSourceName = QT_TRANSLATE_NOOP("InterfaceLanguage", "Русский");

QString translationFile(const QString& code)
{
    return QStringLiteral(":/i18n/tetrafot_%1.qm").arg(code);
}

std::unique_ptr<QTranslator>& installed()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

std::vector<InterfaceLanguage> InterfaceLanguages()
{
    std::vector<InterfaceLanguage> languages{{QString::fromLatin1(kSourceLanguage), QString::fromUtf8(kSourceName)}};
    const QStringList files = QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("tetrafot_*.qm")},
                                                                        QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString code = file.mid(9, file.size() - 9 - 3);
        QTranslator translator;
        if (code != QLatin1String(kSourceLanguage) && translator.load(translationFile(code)))
            languages.push_back({code, translator.translate(kNameContext, kSourceName)});
    }
    return languages;
}

QString ChosenLanguage(const QString& settingsFile)
{
    const QString fromEnvironment = qEnvironmentVariable("TETRAFOT_LANG").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    for (const auto& [key, value] : IniProfile::ReadSection(settingsFile, QStringLiteral("TfrmMain")))
        if (key.compare(QLatin1String("language"), Qt::CaseInsensitive) == 0)
            return value.isEmpty() ? QString::fromLatin1(kSourceLanguage) : value;
    return QString::fromLatin1(kSourceLanguage);
}

bool SetInterfaceLanguage(const QString& code)
{
    std::unique_ptr<QTranslator> translator;
    if (code != QLatin1String(kSourceLanguage)) {
        translator = std::make_unique<QTranslator>();
        if (!translator->load(translationFile(code)))
            return false;
    }
    std::unique_ptr<QTranslator>& current = installed();
    if (current)
        QCoreApplication::removeTranslator(current.get());
    current = std::move(translator);
    if (current)
        QCoreApplication::installTranslator(current.get());
    return true;
}

} // namespace tetrafot
