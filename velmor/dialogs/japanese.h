#pragma once
// The interface is Japanese: Qt's own dialogs and texts in Japanese, and a font that shows
// Japanese with Japanese glyph forms.

#include <QFont>

class QCoreApplication;

namespace dialogs {

// Loads Qt's Japanese translations into the application; false when they are not installed.
bool installJapaneseTranslations(QCoreApplication& app);

// The platform's user-interface font, falling back to a Japanese font for Japanese text.
QFont japaneseUiFont();

} // namespace dialogs
