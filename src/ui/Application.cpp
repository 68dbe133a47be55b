#include "ui/Application.h"

#include "ui/DarkStyle.h"
#include "ui/UiResources.h"

#include "VexlorinVersion.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <memory>

namespace vexlorin {

namespace {

constexpr const char* LanguageSwitch = "--lang";

struct TLoadedTranslations {
    std::unique_ptr<QTranslator> Program;
    std::unique_ptr<QTranslator> Qt;
    QString Language = QStringLiteral("en");
};

TLoadedTranslations& Loaded() {
    static TLoadedTranslations loaded;
    return loaded;
}

void Unload() {
    TLoadedTranslations& loaded = Loaded();
    for (auto* translator : {&loaded.Program, &loaded.Qt})
        if (*translator) {
            QCoreApplication::removeTranslator(translator->get());
            translator->reset();
        }
    loaded.Language = QStringLiteral("en");
}

} // namespace

QStringList ProgramLanguages() {
    return {QStringLiteral("en"), QStringLiteral("de")};
}

QString ChooseLanguage(const QStringList& AArguments, const QLocale& ASystem, QString& AError) {
    AError.clear();
    const qsizetype at = AArguments.indexOf(QLatin1String(LanguageSwitch));
    if (at >= 0) {
        const QString value = at + 1 < AArguments.size() ? AArguments.at(at + 1) : QString();
        if (ProgramLanguages().contains(value))
            return value;
        AError = QCoreApplication::translate("Application",
                                             "Unknown language \"%1\" after --lang: use one of %2.")
                     .arg(value, ProgramLanguages().join(QStringLiteral(", ")));
        return {};
    }
    return ASystem.language() == QLocale::German ? QStringLiteral("de") : QStringLiteral("en");
}

QStringList WithoutLanguageSwitch(QStringList AArguments) {
    const qsizetype at = AArguments.indexOf(QLatin1String(LanguageSwitch));
    if (at >= 0)
        AArguments.remove(at, std::min<qsizetype>(2, AArguments.size() - at));
    return AArguments;
}

bool UseLanguage(const QString& ALanguage) {
    EnsureProgramResources();
    if (!ProgramLanguages().contains(ALanguage))
        return false;
    Unload();
    if (ALanguage == QLatin1String("en"))
        return true;
    auto program = std::make_unique<QTranslator>();
    if (!program->load(QStringLiteral(":/i18n/vexlorin_%1.qm").arg(ALanguage)))
        return false;
    QCoreApplication::installTranslator(program.get());
    TLoadedTranslations& loaded = Loaded();
    loaded.Program = std::move(program);
    // Qt's own buttons ("Cancel", "&Yes") where the system has Qt's translations.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QLocale(ALanguage), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        loaded.Qt = std::move(qt);
    }
    loaded.Language = ALanguage;
    return true;
}

QString CurrentLanguage() {
    return Loaded().Language;
}

void SetUpApplication(QApplication& AApplication) {
    if (!ApplyDarkStyle(AApplication))
        QMessageBox::critical(
            nullptr, QStringLiteral("Vexlorin"),
            QCoreApplication::translate("Application", "The dark style could not be applied."));
    QApplication::setApplicationName(QStringLiteral("Vexlorin"));
    QApplication::setApplicationVersion(QString::fromLatin1(ProgramVersion));
    QApplication::setWindowIcon(ProgramIcon());
}

} // namespace vexlorin
