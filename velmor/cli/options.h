#pragma once
// The command line of velmor-filter.

#include "velmor/engine/colorvalues.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace cli {

enum class OutputKind { Bmp, Qpx };

struct Options {
    int filter = 0;
    std::optional<engine::ColorValue> customColor; // -c; otherwise the stored custom colour
    QString output;                                // -o
    QString outputDir;                             // -d
    OutputKind dirKind = OutputKind::Bmp;          // -t
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

// The kind of output a path asks for, by its last four characters, as Create decides it.
OutputKind outputKindOf(const QString& path);

// Where an input goes with -d: DIR/<base name>.bmp or .qpx.
QString outputInDir(const QString& dir, const QString& input, OutputKind kind);

QString usageText();

} // namespace cli
