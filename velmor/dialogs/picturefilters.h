#pragma once
// The file types the open and save dialogs offer for pictures, and the name Create proposes.

#include <QString>

namespace dialogs {

// The open dialog's types: first "すべての画像ﾌｧｲﾙ" with every extension the program opens (the
// platform loader's formats and QPX), chosen when the dialog opens; then the designed entries in
// their order, PNG, TIFF and WebP before "すべてのﾌｧｲﾙ(*.*)".
QString openPictureFilter();

// The save dialog's types: the designed bitmap and QPX entries first (the bitmap stays the one
// chosen at first), then JPEG, PNG, TIFF and WebP, then every file.
QString savePictureFilter();

// "<source base name>_<filter caption>.<extension>": koi.jpg under "ｾﾋﾟｱ" as a bitmap gives
// "koi_ｾﾋﾟｱ.bmp". A source without a name gives "<caption>.<extension>".
QString proposedName(const QString& sourcePath, const QString& filterCaption, const QString& extension);

} // namespace dialogs
