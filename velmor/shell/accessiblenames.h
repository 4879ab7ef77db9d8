#pragma once
// The Japanese names a screen reader reads for the window's controls (through Qt's accessibility,
// AT-SPI on the desktop): what each control is, a swatch's filter and colour, and which picture
// each view shows.

#include "velmor/engine/colorvalues.h"

#include <QSize>
#include <QString>

class frmMain;

namespace shell {

// Names every control of the window for what it is.
void nameControls(frmMain& window);

// "フィルタ「ｾﾋﾟｱ」の色見本: 黄色 (#C0C040)"; the custom swatch names its colour by its value.
QString swatchAccessibleName(int index, engine::ColorValue colour);

// "元画像: photo.jpg (4000 × 3000)", or that none is open yet when the name is empty.
QString sourceViewName(const QString& fileName, QSize size);
// "プレビュー画像: ｾﾋﾟｱ" and whether it is the rendered output or the live preview.
QString previewViewName(const QString& filterCaption, bool rendered);

} // namespace shell
