#include "velmor/cli/options.h"

#include "velmor/engine/filters.h"

#include <QRegularExpression>

namespace cli {
namespace {

// What -t takes: the extension of each kind of output, as a name in DIR gets it.
const QStringList kDirExtensions = {QStringLiteral("bmp"), QStringLiteral("qpx"), QStringLiteral("jpg"),
    QStringLiteral("png"), QStringLiteral("tif"), QStringLiteral("webp")};

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

QString outputInDir(const QString& dir, const QString& input, const QString& extension)
{
    QString base = input.mid(input.lastIndexOf(QLatin1Char('/')) + 1);
    if (const qsizetype dot = base.lastIndexOf(QLatin1Char('.')); dot > 0)
        base.truncate(dot);
    QString folder = dir;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + base + QLatin1Char('.') + extension;
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
            if (!kDirExtensions.contains(kind))
                throw UsageError{QStringLiteral("-t は %1 のどれかです: %2").arg(kDirExtensions.join(QLatin1Char('|')), kind)};
            o.dirExtension = kind;
        } else if (a == QLatin1String("-Q")) {
            bool ok = false;
            o.jpegQuality = value(i).toInt(&ok);
            if (!ok || *o.jpegQuality < 1 || *o.jpegQuality > 100)
                throw UsageError{QStringLiteral("-Q は 1 から 100 の数です")};
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

bool japaneseLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const QByteArray value = qgetenv(name); !value.isEmpty())
            return value.startsWith("ja");
    return false;
}

QString usageText(bool japanese)
{
    if (japanese)
        return QStringLiteral(
            "使い方: velmor-filter [-f mono|sepia|red|blue|green|custom] [-c COLOUR]\n"
            "                      (-o OUTPUT | -d DIR [-t bmp|qpx|jpg|png|tif|webp]) [-Q N] [-j N] [-q] INPUT...\n"
            "\n"
            "  -f FILTER  フィルタ: mono (既定)、sepia、red、blue、green、custom、または 0 から 5\n"
            "  -c COLOUR  カスタムの色: 00BBGGRR (例 00C0C040) または #RRGGBB。\n"
            "             省略するとウィンドウで決めた色、それもなければ 00000000\n"
            "  -o OUTPUT  一つの入力を一つのファイルへ。形式は名前で決まります: .jpg/.jpeg は JPEG、\n"
            "             .png は PNG、.tif/.tiff は TIFF、.webp は WebP (可逆)、.qpx は QPX ファイル、\n"
            "             それ以外は 24 ビットのビットマップ。-o - はビットマップを標準出力へ\n"
            "  -d DIR     すべての入力を DIR/元の名前.bmp へ (-t で拡張子を選べます)\n"
            "  -Q N       JPEG の品質 1 から 100 (既定はウィンドウの設定、それもなければ 90)\n"
            "  -j N       使うプロセッサの数。並列の処理と QPX ファイルの圧縮が分け合います\n"
            "             (既定はすべてのコア。make -j の下では make のジョブサーバ)\n"
            "  -q         進み具合のバーを出しません\n"
            "  --help     この説明、--version 版\n"
            "\n"
            "JPEG、PNG、TIFF、WebP には元の写真の EXIF、XMP、IPTC、カラープロファイル、解像度を引き継ぎます。\n"
            "終了コード: 0 成功、1 どれかの入力が失敗、2 指定の誤り。\n");
    return QStringLiteral(
        "Usage: velmor-filter [-f mono|sepia|red|blue|green|custom] [-c COLOUR]\n"
        "                     (-o OUTPUT | -d DIR [-t bmp|qpx|jpg|png|tif|webp]) [-Q N] [-j N] [-q] INPUT...\n"
        "\n"
        "  -f FILTER  the filter: mono (default), sepia, red, blue, green, custom, or 0 to 5\n"
        "  -c COLOUR  the custom colour: 00BBGGRR (e.g. 00C0C040) or #RRGGBB;\n"
        "             default: the custom colour the window stored, else 00000000\n"
        "  -o OUTPUT  one input to one file, in the format its name says: .jpg/.jpeg JPEG, .png PNG,\n"
        "             .tif/.tiff TIFF, .webp lossless WebP, .qpx a QPX file, any other name a\n"
        "             24-bit bitmap; -o - writes the bitmap to standard output\n"
        "  -d DIR     every input to DIR/<base name>.bmp (-t chooses the extension)\n"
        "  -Q N       JPEG quality from 1 to 100 (default: the window's setting, else 90)\n"
        "  -j N       processors for the run, shared by the parallel workers and the QPX archiver\n"
        "             (default: every core; under make -j, make's job server)\n"
        "  -q         no progress bar\n"
        "  --help     this help; --version the version\n"
        "\n"
        "JPEG, PNG, TIFF and WebP outputs keep the photo's EXIF, XMP, IPTC, colour profile and resolution.\n"
        "Exit status: 0 success, 1 when any input failed, 2 usage error.\n");
}

} // namespace cli
