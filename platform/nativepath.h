#pragma once
// File names are bytes, and need not be UTF-8. Qt's own conversion turns every byte that is no
// UTF-8 into U+FFFD, so "\xff.bmp" and "\xef\xbf\xbd.bmp" become one name and the wrong file is
// written. Here such a byte becomes the lone surrogate U+DC80 + byte instead (the "surrogate
// escape" of other systems), which no UTF-8 decodes to: a name goes into text and back to the very
// bytes it was. Every path handed to the system goes through toNativePath, never QFile::encodeName.

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

namespace platform {

// The bytes of a file name as text: valid UTF-8 as its characters, every other byte escaped.
QString fromNativePath(const QByteArray& bytes);
QString fromNativePath(const char* bytes);
// The bytes again. A surrogate that is not such an escape (text that never came from a name)
// becomes U+FFFD's bytes.
QByteArray toNativePath(const QString& path);
std::string nativePathString(const QString& path);

// The path as Qt's own classes take it (a file dialog, say): every byte that is no UTF-8 as U+FFFD.
QString qtPath(const QString& path);

// A path that came through Qt's own conversion (a file dialog, say), where every byte that is no
// UTF-8 became U+FFFD: each name holding U+FFFD is looked up in its folder and becomes the one
// entry that Qt shows that way. Nothing when two entries there look alike to Qt ("\xff" and
// "\xef\xbf\xbd"), so that no other file is taken; a name no entry matches (a new file) stays as
// it is.
std::optional<QString> fromQtPath(const QString& path);

// The path from the root, relative names taken from the working folder (itself kept to its bytes);
// "." and ".." are resolved as text, links are not.
QString absolutePath(const QString& path);

// True when the text holds an escaped byte, that is, the name is not UTF-8.
bool holdsRawBytes(const QString& path);

// The text for a message or a terminal: every escaped byte written as \xHH.
QString shownPath(const QString& path);

} // namespace platform
