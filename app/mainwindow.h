// The main window: option pages at the top, the original on the left and the
// encoded result on the right.
//
// The window is split by concern: mainwindow.cpp (creation, closing, layout,
// keys), mainwindow_ui.cpp (tool bar, work area, menus), mainwindow_options.cpp
// (option handlers, enabling rules, gathering the settings),
// mainwindow_run.cpp (the auto-apply timer and the run), mainwindow_report.cpp
// (info labels and download times), mainwindow_compare.cpp (comparing
// formats) and mainwindow_files.cpp (opening and saving), mainwindow_views.cpp (crop frame, zoom, picking the transparent
// colour, keep ratio). The option pages themselves are optionpages.cpp.
#pragma once

#include "app/conversionsettings.h"
#include "app/optionpages.h"
#include "app/outputformat.h"
#include "app/report.h"
#include "app/runcontroller.h"
#include "components/qtbridge.h"
#include "components/sharedbytes.h"
#include "formats/pictureloader.h"

#include "effects/bitmap.h"
#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QMouseEvent;
class QComboBox;
class QMenu;
class QProgressBar;
class QScrollArea;
class QSettings;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;

namespace pictaron {

class DownloadTimeList;
class InfoLabel;
class PictureView;
class RecentFilesMenu;

class TfrmPictaron : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmPictaron(QWidget* parent = nullptr);
    ~TfrmPictaron() override;

    // Shows the splash (unless switched off), then the window, then opens the
    // picture named on the command line, if any.
    void Start(const QString& commandLineFile);

    // Makes the named file the original; on failure says why and keeps the
    // current picture.
    void OpenPicture(const QString& path);
    // A request from another start of the program: opens the file named by
    // the last line; without lines, only brings the window forward.
    void PICTARONExecuteMacro(const QStringList& lines);
    // After a new original: sizes the window to the picture within the screen.
    void LayoutAfterLoad();
    void SplitPanels();

    // The report (mainwindow_report.cpp).
    void ShowResultReport(qint64 size, const std::string& description);
    void RefreshDownloadTimes(bool showNew);
    void FitInfoLabel(InfoLabel* label);

    // The run (mainwindow_run.cpp).
    void btnGoClick();
    void RestartAutoApply();
    void ResetZoom();
    // The option controls' values now, as a run takes them.
    ConversionSettings GatherSettings() const;

    // Window state read by the commands and the tests.
    const Bitmap& Original() const { return original; }
    const Bitmap& ResultPicture() const { return resultPicture; }
    qint64 OriginalSize() const { return originalSize; }
    qint64 ResultSize() const { return resultSize; }
    const QString& ResultFileName() const { return resultFileName; }
    void SetResultFileName(const QString& name) { resultFileName = name; }
    // True while the picture shown is a result not yet in a file the user named.
    bool Changed() const { return changed; }
    // Save and Save As are offered exactly while this holds: the picture shown
    // is the result of the current original in the chosen format, and no run
    // is working.
    bool CanSave() const;
    const QString& SaveFilter() const { return saveFilter; }
    const QString& SaveDefaultExt() const { return saveDefaultExt; }
    const OptionPages& Options() const { return opt; }
    RunController& Runs() { return runs; }
    RecentFilesMenu& RecentFiles() { return *recentFiles; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // mainwindow_ui.cpp
    QToolBar* CreateToolBar();
    QWidget* CreateWorkArea();
    void CreateMenus();
    void PlaceZoomList();
    void FitDownloadArea();

    // mainwindow.cpp
    void FormKeyDown(QKeyEvent* event, bool* handled);
    void mnuOptionsShowSplashClick();
    void mnuOptionsConfirmDiscardClick();
    void mnuOptionsKeepOrientationClick();
    void mnuOptionsTodaysLinesClick();
    void mnuHelpContentsClick();
    void mnuHelpAboutClick();
    void ShowPageHelp();

    // mainwindow_options.cpp
    void ConnectOptionHandlers();
    void FillFixedLists();
    // The result's name follows the format; a name made so is not the user's.
    void ChangeResultExtension(const QString& extension);
    // The format whose radio button is checked.
    OutputFormat ChosenFormat() const;
    // A format chosen: the Save filter, the result's extension and its options.
    void FormatChosen();
    // Shows the chosen format's panels, enables the palette for the formats
    // that use it and sets the auto-apply interval.
    void ShowFormatOptions();
    void cmbPaletteClick();
    void btnOpenPaletteClick();
    void btnCaptionFontClick();

    // mainwindow_run.cpp
    void tmrAutoSaveTimer();
    void RunStarted();
    void RunProgressChanged(const QString& text, int percent);
    void RunSucceeded(const EncodedResult& result);
    // Shows a result of the current original with its report, ready to save.
    void ShowResult(const EncodedResult& result);
    void RunFailed(const QString& message);
    void RunFinished();

    // mainwindow_compare.cpp
    void mnuOptionsCompareFormatsClick();
    void ShowComparedResult(const EncodedResult& result);

    // mainwindow_views.cpp
    void ConnectViewHandlers();
    void DrawCropFrame(QPoint& p1, QPoint& p2);
    void ResetDragRect();
    void chkCropClick(bool checked);
    void imgSourceMouseDown(QMouseEvent* event);
    void imgSourceMouseMove(QMouseEvent* event);
    void imgSourceMouseUp(QMouseEvent* event);
    void imgDestMouseDown(QMouseEvent* event);
    void imgDestMouseMove(QMouseEvent* event);
    void imgDestMouseUp(QMouseEvent* event);
    void btnTransparentColourPickerClick(bool down);
    void cmbZoomClick();
    // False when there is not enough memory for the zoom (said in a message;
    // the view stays as it was).
    bool ShowZoomed(int x, int y, bool setScroll);
    // Runs a command that needs a picture's worth of memory: when there is not
    // enough, says so and returns false, and the window keeps what it had.
    bool WithMemory(const std::function<void()>& command);
    void txtResizeHeightChange(bool fromHeight);
    void CopyPictureToSource(const Bitmap& picture);

    // mainwindow_files.cpp
    void mnuFileOpenClick();
    void mnuOptionsFileClick();
    void mnufileSaveClick();
    void mnuFileSaveAsClick();
    // Writes the result to resultFileName; namedNow when the user has just
    // named it in the Save As dialog (which asked about replacing it).
    void SaveResultFile(bool namedNow);
    // Before an unsaved result is lost: asks whether to save, discard or keep
    // it (unless switched off). True when the caller may go on.
    bool ConfirmDiscard();
    void UpdateSaveCommands();
    void SetSourceInfo(const QString& hint);
    void mnuEditSourceClick();
    void mnuEditCopyDestClick();
    void mnuEditPasteClick();
    void mnuPasteDestClick();

    std::unique_ptr<QSettings> settingsKey;
    PictureLoader ilPreview;
    RunController runs;
    QTimer* tmrAutoSave = nullptr;

    // Window state.
    Bitmap original;
    // Its transparency, as the loader gave it; null for an opaque picture
    // and for every picture that did not come from a file.
    Bitmap originalAlpha;
    Bitmap resultPicture;
    qint64 originalSize = 0;
    qint64 resultSize = -1;
    QString resultFileName;
    // resultFileName came from a change of format, not from the user: saving
    // onto an existing file of that name asks first.
    bool resultNameDerived = false;
    // The opened original's file (empty for a pasted picture): never replaced
    // without asking.
    QString originalPath;
    bool changed = false;
    // What the picture shown is the result of: the original's serial (-1: no
    // result of any original, as after Paste into dest. of a JPEG) and the
    // format; for every format but GIF, the encoded bytes that Save writes.
    int resultOfPicture = -1;
    OutputFormat resultFormat = OutputFormat::Jpeg;
    SharedBytes resultBytes;
    // What the run of the result shown found besides its size, which its
    // report keeps saying after a save.
    ResultNotes resultNotes;
    float zoomScale = 1.0f;
    QPoint cropTopLeft{-1, -1};
    QPoint cropBottomRight{-1, -1};
    QPoint dragStart{-1, -1};
    QPoint dragEnd{-1, -1};
    int dragMode = 0;  // a DragMode
    QPoint moveOrigin;
    bool dragged = false;
    bool keepRatioBusy = false;
    CaptionFont captionFont;
    QString paletteSelection = ToQString(kOptimizedPalette);
    // The chosen format's, as app/outputformat.h gives them.
    QString saveFilter = ToQString(FactsOf(OutputFormat::Jpeg).filter);
    QString saveDefaultExt = ToQString(FactsOf(OutputFormat::Jpeg).extension);
    // Each new original gets a serial; a run remembers the one it started
    // from, so a result that arrives after another picture was opened is
    // dropped.
    int pictureSerial = 0;
    int runPicture = 0;
    // The messages of the run that works: its error, or the warnings of steps
    // that failed without ending it; shown once it has ended.
    QStringList runMessages;

    // Tool bar.
    QToolButton* btnOpen = nullptr;
    QToolButton* btnGo = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnSaveAs = nullptr;
    DownloadTimeList* cmbDownloadTime = nullptr;
    QProgressBar* progressBar = nullptr;

    OptionPages opt;

    // Work area.
    QSplitter* Splitter1 = nullptr;
    QWidget* pnlSource = nullptr;
    InfoLabel* lblSourceInfo = nullptr;
    QScrollArea* scrSource = nullptr;
    PictureView* imgSource = nullptr;
    QWidget* pnlDest = nullptr;
    InfoLabel* lblDestInfo = nullptr;
    QComboBox* cmbZoom = nullptr;
    QScrollArea* scrDest = nullptr;
    PictureView* imgDest = nullptr;

    // Menus.
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuEditSource = nullptr;
    QAction* mnuEditCopyDest = nullptr;
    QAction* mnuEditPaste = nullptr;
    QAction* mnuPasteDest = nullptr;
    QAction* mnuOptionsAutoApply = nullptr;
    QAction* mnuOptionsViewTiled = nullptr;
    QAction* mnuOptionsShowSplash = nullptr;
    QAction* mnuOptionsConfirmDiscard = nullptr;
    QAction* mnuOptionsKeepOrientation = nullptr;
    QAction* mnuOptionsTodaysLines = nullptr;
    QAction* mnuOptionsCompareFormats = nullptr;
    QAction* mnuOptionsFile = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpAbout = nullptr;
    RecentFilesMenu* recentFiles = nullptr;
};

} // namespace pictaron
