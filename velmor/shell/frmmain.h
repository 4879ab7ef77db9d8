#pragma once
// frmMain, the program's one window: its controls as designed, its own size and place, start-up
// and shutdown, the help key, the zoom keys, the filter choice, and the window's side of long work
// (a render, an open, a QPX file), which Escape stops. It holds a picture session that only the
// workflow's commands change: Browse, Preview, Create and the filter choice are workflow calls,
// whose handlers here gather the inputs and show the outcome in the two views.

#include "platform/component/control.h"
#include "platform/longwork.h"
#include "platform/settings.h"
#include "velmor/dialogs/commondialog.h"
#include "velmor/shell/layout.h"
#include "velmor/shell/moxelbar.h"
#include "velmor/shell/picturebox.h"
#include "velmor/shell/screenfit.h"
#include "velmor/shell/services.h"
#include "velmor/shell/twips.h"
#include "velmor/views/pictureview.h"
#include "velmor/views/pictureviews.h"
#include "velmor/workflow/commands.h"
#include "velmor/workflow/session.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The three states of the window, which alone decide what the five commands allow.
enum class CommandState { NoSource, SourceLoaded, Rendering };

// What the window is busy with besides waiting for the user (long work: an open, or a QPX file
// read or written). A render stopped by a close leaves the window closing: its commands stay
// disabled until the queued close has run.
enum class Activity { Idle, Rendering, LongWork, ClosingAfterCancel };

class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(shell::Services services = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up sequence. False when the settings store or the temporary folder cannot be
    // used: the user has been told why, and the program should end.
    bool Form_Load();

    // The opened source, the chosen filter and the output, as the commands left them.
    const workflow::Session& session() const { return session_; }
    // The designed sizes the layout rule starts from, recorded at start-up.
    const shell::LayoutBase& layoutBase() const { return layoutBase_; }
    // The private temporary folder, ending in '/'.
    const QString& TempFolder() const { return tempFolder_; }
    // The custom filter's colour, which swatch 5 shows.
    engine::ColorValue CustomColor() const { return customColor_; }

    // Worked out from the window's activity and whether the session has a source.
    CommandState commandState() const;
    Activity activity() const { return activity_; }
    void setActivity(Activity activity);
    const shell::Twips& twips() const { return twips_; }
    // How the views show the source: logical pixels per picture pixel (1 at 100 %).
    double viewScale() const { return views_->scale(); }
    // The two views, their zoom and what the preview shows.
    const views::PictureViews& views() const { return *views_; }
    // The window has the size the layout rule gave it (not resized or maximised by the user).
    bool hasRuleSize() const;
    // The area of the screen the window must lie within, frame included.
    QRect availableArea() const;
    // The help file opened by F1: the program's folder followed by "/Velmor.chm".
    QString helpPath() const;

    // Controls, in tab order.
    QLabel* Label1;
    QLineEdit* txtFile;
    QPushButton* cmdBrws;
    QGroupBox* Frame1;
    std::array<shell::PictureBox*, 6> picFilt{};
    std::array<QRadioButton*, 6> optFilt{};
    QPushButton* cmdPrev;
    QPushButton* cmdMake;
    QLabel* Label2;
    QLabel* labPrev;
    views::PictureView* picSrc;
    views::PictureView* picPrev;
    QPushButton* cmdQuit;
    shell::MoxelBar* mxbPrv;
    // Not designed: the bar over the source view while a picture opens.
    shell::MoxelBar* mxbSrc;
    // The QPX control; null until the window places one.
    std::unique_ptr<platform::component::Control> qpxFile;
    dialogs::CommonDialog cdlFile;

    // Event handlers.
    void Form_KeyDown(int& KeyCode, Qt::KeyboardModifiers Shift);
    void Form_Unload();
    void picSrc_Resize();
    void cmdBrws_Click();
    // Opens the picture at path as Browse does after its dialog (a file named on the command line
    // or dropped on the window).
    void openPicture(const QString& path);
    void cmdPrev_Click();
    void cmdMake_Click();
    void cmdQuit_Click();
    void optFilt_Click(int Index);
    // A swatch clicked chooses its filter; Space or Return on it does too, except on the custom
    // swatch, where they open the colour dialog as its double-click does.
    void picFilt_Click(int Index);
    void picFilt_DblClick(int Index);
    void picFilt_KeyActivate(int Index);
    // Escape while long work runs: it stops, leaving everything as it was before it.
    void stopWork();

    // The window's side of a render, Preview's and Create's render callback: commands disabled,
    // the progress bar counting rows in the job's colour, events handled at time-sliced yields,
    // the commands enabled again. Returns the output bitmap's path.
    QString RenderFilter(const workflow::RenderJob& job);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's parts: the controls made and wired, then named, captioned, placed and put
    // in tab order from the designed table, then their captions fitted to the font.
    void createControls();
    void placeControls();
    void fitCaptions();
    void InitTempFolder();
    void SaveUpdateInfo();
    // Sets the five commands as the command state allows them, always in the same order. The one
    // place their enabled states are decided.
    void updateCommands();
    void setOuterSize(float widthTwips, float heightTwips);
    shell::FitBase fitBase() const;
    QSize frameExtra() const;
    void keepOnScreen();
    // The window manager framed the window, or it went to another screen: a source view that no
    // longer lets the window fit is shown smaller.
    void refitToScreen();
    // The views fill the space of a window the user has sized: both the same size side by side,
    // with the designed margins; the labels and bars follow.
    void fillWithViews();
    // The bars follow the views they lie over.
    void placeBars();
    // The custom filter's colour, which its swatch shows.
    void setCustomColor(engine::ColorValue color);
    // The colour of the chosen filter's swatch.
    engine::ColorValue selectedFilterColor() const;
    // The chosen option's caption ("ｾﾋﾟｱ"), for the name Create proposes.
    QString selectedFilterCaption() const;
    workflow::RenderOutput renderCallback();
    // Runs a command, showing the user why it failed.
    void runCommand(const std::function<void()>& command);

    // The views show the picture, fitted. A window of the layout rule's size gives the views the
    // picture's size, or less so that it fits the screen, and lays itself out anew; one the user
    // has sized keeps its size. samePicture: the whole of a picture whose first view is shown.
    void showPicture(const views::PicturePixels& pixels, bool samePicture);
    // The preview shows the rendered output only while it is the session's source under the chosen
    // filter; otherwise the live preview of the chosen filter.
    void refreshPreview();
    // The title, and the names a screen reader gives the views, say what is open.
    void showWhatIsOpen(const QString& path);
    // Zoom keys: Ctrl++ and Ctrl+- a step, Ctrl+0 fit, Ctrl+1 100 %. True when the key was one.
    bool zoomKey(int key, Qt::KeyboardModifiers modifiers);
    // Long work outside a render (a QPX file read or written): the commands are disabled and the
    // progress bar over the preview counts the given steps in the filter colour, while the
    // window keeps repainting; endLongWork returns the commands to their state before.
    void showProgress(shell::MoxelBar* bar, int max, engine::ColorValue colour);
    void hideProgress(); // and back to idle
    void beginLongWork(shell::MoxelBar* bar, int steps);
    void endLongWork();
    workflow::LongWorkHooks longWorkHooks(shell::MoxelBar* bar);
    // A modal message box in Japanese.
    void showMessage(const QString& text);
    // A picture was opened from path: the next run's first open dialog starts in its folder.
    void rememberFolderOf(const QString& path);
    // Where the first open dialog of a run starts.
    QString startFolder() const;

    shell::Services services_;
    shell::Twips twips_;
    platform::SettingsStore settings_;
    workflow::Session session_;
    shell::LayoutBase layoutBase_;
    QString tempFolder_;
    engine::ColorValue customColor_ = 0;
    Activity activity_ = Activity::Idle;
    QSize frameExtra_; // the platform's frame around the client area, in pixels
    std::unique_ptr<views::PictureViews> views_; // over picSrc and picPrev
    QSize ruleSize_;     // the size the layout rule last gave the window
    QSize ruleViewSize_; // the views' size in a window of the rule's size
    bool filled_ = false; // the views fill a window the user has sized
    workflow::RenderJob renderedFor_; // what the rendered output the preview may show was made of
    shell::MoxelBar* progressBar_ = nullptr; // the bar that counts the long work under way
    std::unique_ptr<platform::LongWorkListener> longWork_; // set while a long step may run
    bool closeRequested_ = false;
    bool stopRequested_ = false;
    bool unloaded_ = false;

    // Tests plant what no command makes on demand: a temporary folder that refuses files, a source
    // bitmap that a failed open could not delete.
    friend struct WindowFixture;
};
