#pragma once
// The command line of velmor-filter.

#include "velmor/engine/colorvalues.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace cli {

struct Options {
    int filter = 0;
    std::optional<engine::ColorValue> customColor; // -c; otherwise the stored custom colour
    QString output;                                // -o
    QString outputDir;                             // -d
    QString dirExtension = QStringLiteral("bmp");  // -t: the extension names in DIR get
    std::optional<int> jpegQuality;                // -Q; otherwise the stored setting
    int jobs = 0;                                  // 0: every core
    bool quiet = false;
    bool help = false;
    bool version = false;
    QStringList inputs;
};

// A usage error, with the message for stderr.
struct UsageError {
    QString message;
};

// Parses the arguments after the program name; throws UsageError.
Options parseOptions(const QStringList& args);

// "00C0C040" (the stored colour text, 00BBGGRR) or "#RRGGBB"; nothing for anything else.
std::optional<engine::ColorValue> parseColour(const QString& text);

// Where an input goes with -d: DIR/<base name>.<extension>.
QString outputInDir(const QString& dir, const QString& input, const QString& extension);

// --help in one language: Japanese under a Japanese locale (LC_ALL, LC_MESSAGES, LANG in that
// order, as the manual pages choose theirs), English otherwise.
bool japaneseLocale();
QString usageText(bool japanese);

} // namespace cli
