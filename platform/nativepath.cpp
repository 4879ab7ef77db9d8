#include "platform/nativepath.h"

#include <QDir>
#include <QStringList>
#include <cstdlib>
#include <dirent.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + a byte from 0x80 to 0xFF

bool isEscape(char16_t c) { return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF; }

// The length of the well-formed UTF-8 sequence at s[i] (Unicode's table 3-7: no overlong forms,
// no surrogates, nothing past U+10FFFF), or 0.
int sequenceLength(const unsigned char* s, qsizetype i, qsizetype n)
{
    const unsigned c = s[i];
    if (c < 0x80)
        return 1;
    int len = 0;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
        len = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    if (s[i + 1] < lo || s[i + 1] > hi)
        return 0;
    for (int k = 2; k < len; ++k)
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
    return len;
}

} // namespace

QString fromNativePath(const QByteArray& bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString text;
    text.reserve(n);
    for (qsizetype i = 0; i < n;) {
        const int len = sequenceLength(s, i, n);
        if (len == 0) {
            text += QChar(char16_t(kEscapeBase + s[i]));
            ++i;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + i, len);
        i += len;
    }
    return text;
}

QString fromNativePath(const char* bytes)
{
    return fromNativePath(QByteArray(bytes));
}

QByteArray toNativePath(const QString& path)
{
    if (!holdsRawBytes(path))
        return path.toUtf8();
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype run = 0; // start of the characters not yet converted
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (!isEscape(c))
            continue;
        bytes += QStringView(path).mid(run, i - run).toUtf8();
        bytes += char(c - kEscapeBase);
        run = i + 1;
    }
    bytes += QStringView(path).mid(run).toUtf8();
    return bytes;
}

std::string nativePathString(const QString& path)
{
    return toNativePath(path).toStdString();
}

QString qtPath(const QString& path)
{
    return QString::fromUtf8(toNativePath(path));
}

std::optional<QString> fromQtPath(const QString& path)
{
    if (!path.contains(QChar(QChar::ReplacementCharacter)))
        return path;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString resolved;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        QString found = part;
        if (part.contains(QChar(QChar::ReplacementCharacter))) {
            const QByteArray folder = toNativePath(i == 0 ? QStringLiteral(".") : resolved.isEmpty() ? QStringLiteral("/") : resolved);
            int matches = 0;
            if (DIR* dir = ::opendir(folder.constData())) {
                while (const dirent* entry = ::readdir(dir)) {
                    if (QString::fromUtf8(entry->d_name) != part)
                        continue;
                    found = fromNativePath(entry->d_name);
                    ++matches;
                }
                ::closedir(dir);
            }
            if (matches > 1)
                return std::nullopt;
        }
        resolved += (i == 0 ? QString() : QStringLiteral("/")) + found;
    }
    return resolved;
}

QString absolutePath(const QString& path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    char* cwd = ::getcwd(nullptr, 0);
    const QString folder = cwd ? fromNativePath(cwd) : QString();
    std::free(cwd);
    return QDir::cleanPath(folder + QLatin1Char('/') + path);
}

bool holdsRawBytes(const QString& path)
{
    for (const QChar c : path)
        if (isEscape(c.unicode()))
            return true;
    return false;
}

QString shownPath(const QString& path)
{
    if (!holdsRawBytes(path))
        return path;
    QString shown;
    for (const QChar c : path) {
        if (!isEscape(c.unicode())) {
            shown += c;
            continue;
        }
        static constexpr char kHex[] = "0123456789ABCDEF"; // as the archiver shows such bytes
        const unsigned byte = c.unicode() - kEscapeBase;
        shown += QLatin1String("\\x") + QLatin1Char(kHex[byte >> 4]) + QLatin1Char(kHex[byte & 15]);
    }
    return shown;
}

} // namespace platform
