// What the desktop program and its tests set up on the application object before the first
// window: the dark look, the names, the icon and the language of every text.
#pragma once

#include <QString>
#include <QStringList>

class QApplication;
class QLocale;

namespace vexlorin {

// The languages the program carries: "en" (the texts as written) and "de".
QStringList ProgramLanguages();

// The language for a run: "--lang en|de" among AArguments decides, else the system locale
// (German for any German locale), else English. An unknown "--lang" value is an error the
// caller reports; AError gets its text then and the result is empty.
QString ChooseLanguage(const QStringList& AArguments, const QLocale& ASystem, QString& AError);
// AArguments without "--lang" and its value.
QStringList WithoutLanguageSwitch(QStringList AArguments);

// Loads the translation of ALanguage (nothing for "en"), replacing one loaded before.
// False when the program carries no such translation.
bool UseLanguage(const QString& ALanguage);
// The language whose texts are in use now.
QString CurrentLanguage();

// Dark style, application name and version, program icon. The application display name
// stays unset: the platform would append it to every window title.
void SetUpApplication(QApplication& AApplication);

} // namespace vexlorin
