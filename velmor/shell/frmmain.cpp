#include "velmor/shell/frmmain.h"

#include "platform/component/control.h"
#include "platform/nativepath.h"
#include "platform/qpxclient/qpxclient.h"
#include "platform/tempfolder.h"
#include "velmor/engine/filters.h"
#include "velmor/shell/accessiblenames.h"
#include "velmor/shell/captions.h"
#include "velmor/shell/controltable.h"
#include "velmor/shell/framestyle.h"
#include "velmor/shell/icon.h"
#include "velmor/dialogs/japanese.h"
#include "velmor/shell/version.h"
#include "velmor_version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

void setCaption(QWidget* control, const QString& caption)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(caption);
}

} // namespace

frmMain::frmMain(shell::Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
              | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
    , cdlFile(this, services.dialogs ? services.dialogs : dialogs::qtDialogBackend())
    , services_(std::move(services))
    , twips_(services_.twipsPerPixel)
    , settings_(services_.settingsFile)
{
    setWindowTitle(QStringLiteral("べるもあ"));
    setWindowIcon(QIcon(QPixmap::fromImage(shell::velmorIconImage())));
    setFont(dialogs::japaneseUiFont());
    // Opens at its designed size, which is also the smallest it takes; the user may then enlarge it.
    const QSize designed(twips_.toPixels(shell::kDesignedClientWidth), twips_.toPixels(shell::kDesignedClientHeight));
    setMinimumSize(designed);
    resize(designed);
    ruleSize_ = designed;
    createControls();
    placeControls();
    fitCaptions();
    ruleViewSize_ = picSrc->size();
    shell::nameControls(*this);
    connect(picSrc, &views::PictureView::resized, this, &frmMain::picSrc_Resize);

    // qpxFile: the QPX control, found by its programmatic identifier. Without it (not registered,
    // module gone) the window still works for every other kind of picture, and a QPX name gets a
    // message instead.
    try {
        qpxFile = qpxclient::createQpxControl(this);
    } catch (const platform::component::AutomationError& e) {
        qWarning("%s", qUtf8Printable(e.text()));
    }

    connect(cmdBrws, &QPushButton::clicked, this, &frmMain::cmdBrws_Click);
    connect(cmdPrev, &QPushButton::clicked, this, &frmMain::cmdPrev_Click);
    connect(cmdMake, &QPushButton::clicked, this, &frmMain::cmdMake_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &frmMain::cmdQuit_Click);

    updateCommands();
    // Key preview: keys reach Form_KeyDown before the focused control.
    qApp->installEventFilter(this);
}

void frmMain::createControls()
{
    Label1 = new QLabel(this);
    txtFile = new QLineEdit(this);
    txtFile->setReadOnly(true); // shows the opened path; nothing reads what is typed there
    Label1->setBuddy(txtFile);
    cmdBrws = new QPushButton(this);
    Frame1 = new QGroupBox(this);
    shell::drawBorderThroughCaption(Frame1);
    for (int i = 0; i < 6; ++i) {
        picFilt[i] = new shell::PictureBox(Frame1);
        picFilt[i]->setBorder(true);
        picFilt[i]->setBackColor(engine::filterColor(i, customColor_));
        picFilt[i]->setFocusPolicy(Qt::StrongFocus);
        optFilt[i] = new QRadioButton(Frame1);
        connect(picFilt[i], &shell::PictureBox::clicked, this, [this, i] { picFilt_Click(i); });
        connect(picFilt[i], &shell::PictureBox::doubleClicked, this, [this, i] { picFilt_DblClick(i); });
        connect(picFilt[i], &shell::PictureBox::activated, this, [this, i] { picFilt_KeyActivate(i); });
        // A click is a choice even on the selected option; a selection made otherwise is one too.
        connect(optFilt[i], &QRadioButton::clicked, this, [this, i] { optFilt_Click(i); });
        connect(optFilt[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optFilt_Click(i);
        });
    }
    cmdPrev = new QPushButton(this);
    cmdMake = new QPushButton(this);
    Label2 = new QLabel(this);
    labPrev = new QLabel(this);
    picSrc = new views::PictureView(this);
    picPrev = new views::PictureView(this);
    picSrc->setHint(QStringLiteral("「参照(B)...」で画像を開くか、ここに画像をドロップしてください。"));
    views_ = std::make_unique<views::PictureViews>(*picSrc, *picPrev);
    optFilt[0]->setChecked(true); // and the live preview shows its filter
    cmdQuit = new QPushButton(this);
    mxbPrv = new shell::MoxelBar(this);
    mxbPrv->raise(); // drawn over picPrev
    mxbPrv->hide();
    mxbSrc = new shell::MoxelBar(this);
    mxbSrc->setObjectName(QStringLiteral("mxbSrc"));
    mxbSrc->raise(); // drawn over picSrc
    mxbSrc->hide();
}

void frmMain::placeControls()
{
    // Names, captions and places as designed; the table is in tab order, and every control in it
    // that takes focus from Tab follows the one before.
    const std::array<QWidget*, shell::kDesignedControls.size()> controls{Label1, txtFile, cmdBrws, Frame1,
        picFilt[0], picFilt[1], picFilt[2], picFilt[3], picFilt[4], optFilt[0], optFilt[1], optFilt[2], optFilt[3],
        optFilt[4], cmdPrev, cmdMake, Label2, labPrev, picSrc, picPrev, cmdQuit, picFilt[5], optFilt[5], mxbPrv};
    QWidget* previousStop = nullptr;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const shell::DesignedControl& d = shell::kDesignedControls[i];
        QWidget* control = controls[i];
        control->setObjectName(QString::fromUtf8(d.name));
        setCaption(control, QString::fromUtf8(d.caption));
        control->setGeometry(twips_.toPixels(d.left, d.top, d.width, d.height));
        if (control->focusPolicy() & Qt::TabFocus) {
            if (previousStop)
                QWidget::setTabOrder(previousStop, control);
            previousStop = control;
        }
    }
    setObjectName(QStringLiteral("frmMain"));
    // The open's bar lies over the source view as mxbPrv lies over the preview.
    mxbSrc->setGeometry(picSrc->x(), mxbPrv->y(), picSrc->width(), mxbPrv->height());
    txtFile->setFocus();
}

void frmMain::fitCaptions()
{
    // Every caption shows whole in the platform's Japanese font: a control grows to the right up
    // to its neighbour (or the window's edge), and is drawn narrower where that is not enough.
    const int right = width() - 2;
    shell::fitCaption(Label1, txtFile->x() - 2);
    shell::fitCaption(cmdBrws, right);
    shell::fitCaption(Frame1, cmdPrev->x() - 2);
    for (int i = 0; i < 6; ++i)
        shell::fitCaption(optFilt[i], i < 5 ? optFilt[i + 1]->x() - 1 : Frame1->width() - 4);
    for (QWidget* button : {cmdPrev, cmdMake, cmdQuit})
        shell::fitCaption(button, right);
    shell::fitCaption(Label2, labPrev->x() - 2);
    shell::fitCaption(labPrev, right);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    Form_Unload();
}

bool frmMain::Form_Load()
{
    layoutBase_.Loading = true;
    frameExtra_ = frameGeometry().size() - size();
    layoutBase_.BaseFormWidth = twips_.toTwips(width() + frameExtra_.width());
    layoutBase_.BaseFormHeight = twips_.toTwips(height() + frameExtra_.height());
    layoutBase_.BaseSourceWidth = twips_.width(picSrc);
    layoutBase_.BaseSourceHeight = twips_.height(picSrc);
    layoutBase_.BasePreviewLeft = twips_.left(picPrev);
    layoutBase_.Loading = false;
    try {
        InitTempFolder();
        try {
            SaveUpdateInfo();
        } catch (const platform::RuntimeError& e) {
            // Nothing the window does needs these two entries: it starts without them.
            std::fprintf(stderr, "velmor: %s\n", qUtf8Printable(platform::shownPath(e.text())));
        }
        const QString stored = settings_.GetSetting(QStringLiteral("Setting"), QStringLiteral("CustomFilter"), QStringLiteral("00000000"));
        setCustomColor(engine::HexToColor(stored)); // text that is no colour gives black
        cdlFile.InitDir = startFolder();
    } catch (const platform::RuntimeError& e) {
        showMessage(e.text() + QStringLiteral("\n\nべるもあを終了します。"));
        return false;
    }
    return true;
}

void frmMain::InitTempFolder()
{
    tempFolder_ = services_.tempFolder ? services_.tempFolder() : platform::privateTempFolder();
    if (!tempFolder_.endsWith(QLatin1Char('/')))
        tempFolder_ += QLatin1Char('/');
}

void frmMain::SaveUpdateInfo()
{
    settings_.SaveSetting(QStringLiteral("UpdateInfo"), QStringLiteral("CurrentVersion"),
        shell::versionText(VELMOR_VERSION_MAJOR, VELMOR_VERSION_MINOR, VELMOR_VERSION_REVISION));
    settings_.SaveSetting(QStringLiteral("UpdateInfo"), QStringLiteral("ApplicationPath"),
        services_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : services_.programFolder);
}

QString frmMain::startFolder() const
{
    // The folder of the last picture opened in an earlier run, else the user's pictures.
    const QString last = settings_.GetSetting(QStringLiteral("Setting"), QStringLiteral("LastFolder"), QString());
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last; // a folder whose name is no UTF-8 is never stored
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

void frmMain::rememberFolderOf(const QString& path)
{
    const QString absolute = platform::absolutePath(path);
    const QString folder = absolute.left(std::max<qsizetype>(absolute.lastIndexOf(QLatin1Char('/')), 1));
    // The setting is text: a folder whose name is no UTF-8 cannot be kept there as its bytes.
    if (platform::holdsRawBytes(folder))
        return;
    try {
        settings_.SaveSetting(QStringLiteral("Setting"), QStringLiteral("LastFolder"), folder);
    } catch (const platform::RuntimeError&) {
        // Only a convenience: the next run starts in the pictures folder instead.
    }
}

QString frmMain::helpPath() const
{
    const QString folder = services_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : services_.programFolder;
    return folder + QStringLiteral("/Velmor.chm");
}

CommandState frmMain::commandState() const
{
    if (activity_ != Activity::Idle)
        return CommandState::Rendering;
    return session_.hasSource() ? CommandState::SourceLoaded : CommandState::NoSource;
}

void frmMain::setActivity(Activity activity)
{
    activity_ = activity;
    updateCommands();
}

void frmMain::updateCommands()
{
    const CommandState state = commandState();
    const bool idle = state != CommandState::Rendering;
    const bool loaded = state == CommandState::SourceLoaded;
    // Always in this order, disabling and enabling alike.
    cmdBrws->setEnabled(idle);
    Frame1->setEnabled(idle);
    cmdPrev->setEnabled(loaded);
    cmdMake->setEnabled(loaded);
    cmdQuit->setEnabled(idle);
}

void frmMain::Form_KeyDown(int& KeyCode, Qt::KeyboardModifiers Shift)
{
    Q_UNUSED(Shift); // F1 opens the help whatever Shift, Ctrl or Alt are held
    if (KeyCode != Qt::Key_F1)
        return;
    const QString path = helpPath();
    if (services_.openHelp)
        services_.openHelp(path);
    else if (QFileInfo(path).isFile())
        QDesktopServices::openUrl(QUrl::fromLocalFile(path)); // a missing viewer is not our concern
    KeyCode = 0;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        int KeyCode = key->key();
        Form_KeyDown(KeyCode, key->modifiers());
        if (KeyCode == 0)
            return true;
        // cmdQuit is the cancel button: Escape presses it while it is enabled, and stops the long
        // work that disables it.
        if (KeyCode == Qt::Key_Escape && cmdQuit->isEnabled()) {
            cmdQuit->click();
            return true;
        }
        if (KeyCode == Qt::Key_Escape && activity_ != Activity::Idle) {
            stopWork();
            return true;
        }
        if (zoomKey(KeyCode, key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::cmdQuit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (activity_ == Activity::Rendering || activity_ == Activity::LongWork) {
        // The render stops at its next yield and deletes its output; a QPX step ends first.
        // The window closes after.
        closeRequested_ = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    workflow::closeSession(session_);
}

void frmMain::optFilt_Click(int Index)
{
    workflow::chooseFilter(session_, engine::filterColor(Index, customColor_));
    refreshPreview();
}

void frmMain::picFilt_Click(int Index)
{
    // As a click on the swatch's option: a choice even when it is already selected.
    optFilt[Index]->click();
}

void frmMain::picFilt_KeyActivate(int Index)
{
    if (Index == engine::kCustomFilter)
        picFilt_DblClick(Index);
    else
        picFilt_Click(Index);
}

void frmMain::setCustomColor(engine::ColorValue color)
{
    customColor_ = color;
    picFilt[engine::kCustomFilter]->setBackColor(color);
    picFilt[engine::kCustomFilter]->setAccessibleName(shell::swatchAccessibleName(engine::kCustomFilter, color));
}

QString frmMain::selectedFilterCaption() const
{
    for (int i = 0; i < engine::kFilterCount; ++i)
        if (optFilt[i]->isChecked())
            return optFilt[i]->text().remove(QLatin1Char('&'));
    return optFilt[0]->text().remove(QLatin1Char('&'));
}

engine::ColorValue frmMain::selectedFilterColor() const
{
    for (int i = 0; i < engine::kFilterCount; ++i)
        if (optFilt[i]->isChecked())
            return engine::filterColor(i, customColor_);
    return engine::filterColor(0, customColor_);
}

void frmMain::picFilt_DblClick(int Index)
{
    if (Index != engine::kCustomFilter)
        return;
    const auto chosen = cdlFile.ShowColor(QStringLiteral("カスタムフィルタ基本色の選択"), customColor_,
        dialogs::cdlCCRGBInit | dialogs::cdlCCFullOpen);
    if (!chosen)
        return;
    setCustomColor(*chosen);
    // The selection stays; a custom colour confirmed is a new choice whichever option is selected.
    workflow::chooseFilter(session_, selectedFilterColor());
    refreshPreview();
    try {
        settings_.SaveSetting(QStringLiteral("Setting"), QStringLiteral("CustomFilter"), engine::ColorToHex(customColor_));
    } catch (const platform::RuntimeError& e) {
        showMessage(e.text() + QStringLiteral("\nこの色は今回だけ使われます。"));
    }
}

void frmMain::showMessage(const QString& text)
{
    const QString shown = platform::shownPath(text); // names that are no UTF-8 as \xHH
    if (services_.showMessage)
        services_.showMessage(this, shown);
    else
        shell::showMessageBox(this, shown);
}
