#include "velmor/dialogs/japanese.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace dialogs {

bool installJapaneseTranslations(QCoreApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qt_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QFont japaneseUiFont()
{
    QFont font = QApplication::font();
    if (QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::Japanese))
        return font;
    // A desktop without a Japanese UI font: take the first Japanese font installed, so that kanji
    // are not drawn with Chinese glyph forms by a fallback.
    for (const char* f : {"Noto Sans CJK JP", "IPAPGothic", "VL PGothic", "Takao PGothic", "Meiryo UI", "MS UI Gothic"}) {
        const QString family = QLatin1String(f);
        if (QFontDatabase::hasFamily(family)) {
            QStringList families{family};
            families << font.families();
            font.setFamilies(families);
            return font;
        }
    }
    return font;
}

} // namespace dialogs
