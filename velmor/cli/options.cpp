#include "velmor/cli/options.h"

#include "velmor/engine/filters.h"
#include "platform/qpxclient/qpxclient.h"

#include <QRegularExpression>

namespace cli {
namespace {

int parseFilter(const QString& text)
{
    for (int i = 0; i < engine::kFilterCount; ++i)
        if (text == QLatin1String(engine::kFilterNames[static_cast<std::size_t>(i)].data(),
                qsizetype(engine::kFilterNames[static_cast<std::size_t>(i)].size()))
            || text == QString::number(i))
            return i;
    throw UsageError{QStringLiteral("フィルタは mono, sepia, red, blue, green, custom (または 0 から 5) のどれかです: %1").arg(text)};
}

} // namespace

std::optional<engine::ColorValue> parseColour(const QString& text)
{
    static const QRegularExpression stored(QStringLiteral("^[0-9A-Fa-f]{8}$"));
    static const QRegularExpression web(QStringLiteral("^#([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})$"));
    if (stored.match(text).hasMatch())
        return engine::HexToColor(text);
    if (const auto m = web.match(text); m.hasMatch())
        return m.captured(1).toInt(nullptr, 16) | m.captured(2).toInt(nullptr, 16) << 8
            | m.captured(3).toInt(nullptr, 16) << 16;
    return std::nullopt;
}

OutputKind outputKindOf(const QString& path)
{
    return qpxclient::isQpxPath(path) ? OutputKind::Qpx : OutputKind::Bmp;
}

QString outputInDir(const QString& dir, const QString& input, OutputKind kind)
{
    QString base = input.mid(input.lastIndexOf(QLatin1Char('/')) + 1);
    if (const qsizetype dot = base.lastIndexOf(QLatin1Char('.')); dot > 0)
        base.truncate(dot);
    QString folder = dir;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + base + (kind == OutputKind::Qpx ? QStringLiteral(".qpx") : QStringLiteral(".bmp"));
}

Options parseOptions(const QStringList& args)
{
    Options o;
    auto value = [&](qsizetype& i) -> QString {
        if (i + 1 >= args.size())
            throw UsageError{QStringLiteral("%1 には値が必要です").arg(args[i])};
        return args[++i];
    };
    bool onlyInputs = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (onlyInputs || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            o.inputs << a;
        } else if (a == QLatin1String("--")) {
            onlyInputs = true;
        } else if (a == QLatin1String("-f")) {
            o.filter = parseFilter(value(i));
        } else if (a == QLatin1String("-c")) {
            const QString text = value(i);
            o.customColor = parseColour(text);
            if (!o.customColor)
                throw UsageError{QStringLiteral("色は 8 桁の 16 進 (00BBGGRR) か #RRGGBB で指定します: %1").arg(text)};
        } else if (a == QLatin1String("-o")) {
            o.output = value(i);
        } else if (a == QLatin1String("-d")) {
            o.outputDir = value(i);
        } else if (a == QLatin1String("-t")) {
            const QString kind = value(i).toLower();
            if (kind != QLatin1String("bmp") && kind != QLatin1String("qpx"))
                throw UsageError{QStringLiteral("-t は bmp か qpx です: %1").arg(kind)};
            o.dirKind = kind == QLatin1String("qpx") ? OutputKind::Qpx : OutputKind::Bmp;
        } else if (a == QLatin1String("-j")) {
            bool ok = false;
            o.jobs = value(i).toInt(&ok);
            if (!ok || o.jobs < 1 || o.jobs > 256)
                throw UsageError{QStringLiteral("-j は 1 から 256 の数です")};
        } else if (a == QLatin1String("-q")) {
            o.quiet = true;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
            return o;
        } else if (a == QLatin1String("--version")) {
            o.version = true;
            return o;
        } else {
            throw UsageError{QStringLiteral("知らないオプションです: %1").arg(a)};
        }
    }
    if (o.output.isEmpty() == o.outputDir.isEmpty())
        throw UsageError{QStringLiteral("-o OUTPUT か -d DIR のどちらか一つを指定してください")};
    if (o.inputs.isEmpty())
        throw UsageError{QStringLiteral("入力の画像を指定してください")};
    if (!o.output.isEmpty() && o.inputs.size() != 1)
        throw UsageError{QStringLiteral("-o には入力を一つだけ指定できます (複数なら -d DIR)")};
    return o;
}

QString usageText()
{
    return QStringLiteral(
        "使い方: velmor-filter [-f mono|sepia|red|blue|green|custom] [-c COLOUR] (-o OUTPUT | -d DIR [-t bmp|qpx]) [-j N] [-q] INPUT...\n"
        "Usage:  velmor-filter [-f FILTER] [-c COLOUR] (-o OUTPUT | -d DIR [-t bmp|qpx]) [-j N] [-q] INPUT...\n"
        "\n"
        "  -f FILTER  フィルタ / filter: mono (default), sepia, red, blue, green, custom, or 0-5\n"
        "  -c COLOUR  カスタム色 / custom colour: 00BBGGRR (e.g. 00C0C040) or #RRGGBB;\n"
        "             default: the stored custom colour of the window, else 00000000\n"
        "  -o OUTPUT  one input to one file; a name ending in .qpx gives a QPX file, any other a 24-bit BMP;\n"
        "             -o - writes the bitmap to standard output\n"
        "  -d DIR     every input to DIR/<base name>.bmp (or .qpx with -t qpx)\n"
        "  -j N       parallel workers (default: every core)\n"
        "  -q         no progress bar\n"
        "  --help     this help; --version the version\n"
        "\n"
        "Exit status: 0 success, 1 when any input failed, 2 usage error.\n");
}

} // namespace cli
