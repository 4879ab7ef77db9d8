#pragma once
// QPXCtrl: the control that saves a picture as a QPX file (an LHA archive holding one bitmap) and
// opens one again. Invisible at run time; at design time it shows its 32 x 32 badge.

#include <QImage>
#include <QWidget>

namespace qpx {

// The hidden picture box that keeps the picture last opened.
class PictureHolder : public QWidget {
public:
    explicit PictureHolder(QWidget* parent);
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture) { picture_ = picture; }

private:
    QImage picture_;
};

class QPXCtrl : public QWidget {
public:
    enum class Mode { Run, Design };

    // Takes the temporary folder; a folder that cannot be determined is error 5.
    explicit QPXCtrl(QWidget* parent, Mode mode = Mode::Run);

    const QString& TempFolder() const { return tempFolder_; }
    const PictureHolder& picDmy() const { return *picDmy_; }

    // Saves srcPic as the QPX file strName. False (after the message box) when the name does not
    // end in ".QPX"; any failure throws, with the work folder as it was before the call.
    bool SaveQPX(const QImage& srcPic, const QString& strName);
    // The picture the QPX file strName holds, also kept in picDmy. No picture (after the message
    // box) when there is no such file; any other failure throws.
    QImage OpenQPX(const QString& strName);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString tempFolder_;
    PictureHolder* picDmy_;
    QImage face_;
};

} // namespace qpx
