// The main window's widgets: tool bar, work area and menus.
#include "app/mainwindow.h"

#include "app/downloadtimelist.h"
#include "app/glyphs.h"
#include "app/infolabel.h"
#include "app/pictureview.h"
#include "components/qimagebridge.h"
#include "components/recentfilesmenu.h"
#include "preview/tiledview.h"

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace pictaron {

namespace {

constexpr int kToolBarHeight = 29;
constexpr int kToolButtonWidth = 106;
constexpr int kDownloadAreaWidth = 160;
constexpr int kSplitterWidth = 7;

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& text, const QString& hint,
                        const QIcon& glyph)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    button->setIcon(glyph);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // 106 wide, wider where the system font needs it for the caption.
    button->setFixedHeight(kToolBarHeight - 3);
    button->setMinimumWidth(kToolButtonWidth);
    return button;
}

QScrollArea* ScrollBox(QWidget* parent, const char* name, QWidget* view)
{
    auto* box = new QScrollArea(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setWidgetResizable(false);
    box->setAlignment(Qt::AlignCenter);
    box->setWidget(view);
    box->setFrameShape(QFrame::StyledPanel);
    box->setBackgroundRole(QPalette::Dark);
    return box;
}

QWidget* Panel(QWidget* parent, const char* name, InfoLabel* info, QScrollArea* box)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    info->setParent(panel);
    box->setParent(panel);
    layout->addWidget(info);
    layout->addWidget(box, 1);
    return panel;
}

} // namespace

QToolBar* TfrmPictaron::CreateToolBar()
{
    auto* bar = new QToolBar(QStringLiteral("Tools"), this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(kToolBarHeight);
    bar->toggleViewAction()->setVisible(false);

    btnOpen = ToolButton(bar, "btnOpen", QStringLiteral("Open"), QStringLiteral("Open an image"), OpenFileGlyph());
    btnGo = ToolButton(bar, "btnGo", QStringLiteral("&Apply Changes"),
                       QStringLiteral("Make a new image from the original"), ApplyGlyph());
    btnSave = ToolButton(bar, "btnSave", QStringLiteral("Save"), QStringLiteral("Save new image with current name"),
                         SaveFileGlyph());
    btnSaveAs = ToolButton(bar, "btnSaveAs", QStringLiteral("Save As"), QStringLiteral("Save new image as..."),
                           SaveAsGlyph());
    btnSave->setEnabled(false);
    btnSaveAs->setEnabled(false);
    for (QToolButton* button : {btnOpen, btnGo, btnSave, btnSaveAs})
        bar->addWidget(button);

    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);

    // The download-time list and, during a run, the progress bar in its place.
    auto* right = new QWidget(bar);
    right->setFixedSize(kDownloadAreaWidth, kToolBarHeight - 3);
    cmbDownloadTime = new DownloadTimeList(right);
    const int listTop = (right->height() - cmbDownloadTime->sizeHint().height()) / 2;
    cmbDownloadTime->move(0, std::max(0, listTop));
    progressBar = new QProgressBar(right);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->setTextVisible(true);
    progressBar->setFormat(QString());
    progressBar->setAlignment(Qt::AlignCenter);
    progressBar->hide();
    FitDownloadArea();
    bar->addWidget(right);

    connect(btnOpen, &QToolButton::clicked, this, &TfrmPictaron::mnuFileOpenClick);
    connect(btnGo, &QToolButton::clicked, this, &TfrmPictaron::btnGoClick);
    connect(btnSave, &QToolButton::clicked, this, &TfrmPictaron::mnufileSaveClick);
    connect(btnSaveAs, &QToolButton::clicked, this, &TfrmPictaron::mnuFileSaveAsClick);
    return bar;
}

QWidget* TfrmPictaron::CreateWorkArea()
{
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(kSplitterWidth);
    Splitter1->setChildrenCollapsible(false);

    lblSourceInfo = new InfoLabel;
    lblSourceInfo->setObjectName(QStringLiteral("lblSourceInfo"));
    imgSource = new PictureView;
    imgSource->setObjectName(QStringLiteral("imgSource"));
    scrSource = ScrollBox(nullptr, "scrSource", imgSource);
    pnlSource = Panel(Splitter1, "pnlSource", lblSourceInfo, scrSource);
    imgSource->hide();

    lblDestInfo = new InfoLabel;
    lblDestInfo->setObjectName(QStringLiteral("lblDestInfo"));
    imgDest = new PictureView;
    imgDest->setObjectName(QStringLiteral("imgDest"));
    scrDest = ScrollBox(nullptr, "scrDest", imgDest);
    pnlDest = Panel(Splitter1, "pnlDest", lblDestInfo, scrDest);

    // Two blank lines give both labels their height before any report.
    for (InfoLabel* label : {lblSourceInfo, lblDestInfo}) {
        label->SetCaption(QStringLiteral(" \r\n "));
        label->setFixedHeight(label->sizeHint().height() + 2);
    }

    cmbZoom = new QComboBox(pnlDest);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    for (int percent : {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000})
        cmbZoom->addItem(QStringLiteral("%1%").arg(percent));
    cmbZoom->setFixedHeight(std::min(cmbZoom->sizeHint().height(), lblDestInfo->height() - 2));
    cmbZoom->hide();

    Splitter1->addWidget(pnlSource);
    Splitter1->addWidget(pnlDest);
    Splitter1->setStretchFactor(1, 1);
    pnlSource->resize(277, pnlSource->height());
    pnlDest->installEventFilter(this);
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { PlaceZoomList(); });
    return Splitter1;
}

void TfrmPictaron::FitDownloadArea()
{
    // 160 wide, or as wide as the list's columns need.
    QWidget* right = cmbDownloadTime->parentWidget();
    right->setFixedWidth(std::max(kDownloadAreaWidth, cmbDownloadTime->width()));
    progressBar->setGeometry(cmbDownloadTime->x(), cmbDownloadTime->y(), cmbDownloadTime->width(),
                             cmbDownloadTime->sizeHint().height());
}

void TfrmPictaron::PlaceZoomList()
{
    cmbZoom->move(pnlDest->width() - cmbZoom->width() - 5, 1);
    cmbZoom->raise();
}

void TfrmPictaron::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileOpen = file->addAction(QStringLiteral("&Open"), this, &TfrmPictaron::mnuFileOpenClick);
    mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileSave = file->addAction(QStringLiteral("&Save"), this, &TfrmPictaron::mnufileSaveClick);
    mnuFileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFileSave->setEnabled(false);
    mnuFileSaveAs = file->addAction(QStringLiteral("Save &As"), this, &TfrmPictaron::mnuFileSaveAsClick);
    mnuFileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuFileSaveAs->setEnabled(false);
    QAction* recentStart = file->addSeparator();
    QAction* recentEnd = file->addSeparator();
    mnuFileExit = file->addAction(QStringLiteral("Exit"), this, &QWidget::close);
    recentFiles = new RecentFilesMenu(file, recentStart, recentEnd, [this](const QString& path) { OpenPicture(path); });

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEditSource = mnuEdit->addAction(QStringLiteral("Copy &source to clipboard"), this,
                                       &TfrmPictaron::mnuEditSourceClick);
    mnuEditCopyDest = mnuEdit->addAction(QStringLiteral("Copy dest. to clipboard"), this,
                                         &TfrmPictaron::mnuEditCopyDestClick);
    mnuEditCopyDest->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditPaste = mnuEdit->addAction(QStringLiteral("&Paste into source"), this, &TfrmPictaron::mnuEditPasteClick);
    mnuEditPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuPasteDest = mnuEdit->addAction(QStringLiteral("Paste into dest."), this, &TfrmPictaron::mnuPasteDestClick);
    mnuEdit->menuAction()->setVisible(false);
    // Ctrl+C and Ctrl+V work while the menu is hidden: an action's shortcut
    // lives only where the action is shown, so the window holds them too. A
    // focused text field still takes its own copy and paste first.
    addActions(mnuEdit->actions());

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    // A check item and nothing more: it governs only whether RestartAutoApply
    // starts the timer, never starts or stops the timer itself.
    mnuOptionsAutoApply = options->addAction(QStringLiteral("&Automatically apply changes"));
    mnuOptionsAutoApply->setCheckable(true);
    // The result as the view shows it, at the zoom shown.
    mnuOptionsViewTiled = options->addAction(QStringLiteral("View &Tiled"), this, [this] {
        WithMemory([this] { TfrmTileBitmap::ShowTiled(this, ImageView(imgDest->Picture())); });
    });
    mnuOptionsViewTiled->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuOptionsViewTiled->setEnabled(false);
    mnuOptionsCompareFormats = options->addAction(QStringLiteral("Compare Formats…"), this,
                                                  &TfrmPictaron::mnuOptionsCompareFormatsClick);
    mnuOptionsCompareFormats->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuOptionsCompareFormats->setEnabled(false);
    mnuOptionsShowSplash = options->addAction(QStringLiteral("Show Splash Screen"), this,
                                              &TfrmPictaron::mnuOptionsShowSplashClick);
    mnuOptionsShowSplash->setCheckable(true);
    mnuOptionsConfirmDiscard = options->addAction(QStringLiteral("Ask Before Discarding Unsaved Results"), this,
                                                  &TfrmPictaron::mnuOptionsConfirmDiscardClick);
    mnuOptionsConfirmDiscard->setCheckable(true);
    mnuOptionsKeepOrientation = options->addAction(QStringLiteral("Keep Orientation As Stored"), this,
                                                   &TfrmPictaron::mnuOptionsKeepOrientationClick);
    mnuOptionsKeepOrientation->setCheckable(true);
    mnuOptionsTodaysLines = options->addAction(QStringLiteral("Show Today's Line Speeds"), this,
                                               &TfrmPictaron::mnuOptionsTodaysLinesClick);
    mnuOptionsTodaysLines->setCheckable(true);
    mnuOptionsFile = options->addAction(QStringLiteral("File Associations"), this, &TfrmPictaron::mnuOptionsFileClick);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpContents = help->addAction(QStringLiteral("&Contents"), this, &TfrmPictaron::mnuHelpContentsClick);
    mnuHelpAbout = help->addAction(QStringLiteral("&About"), this, &TfrmPictaron::mnuHelpAboutClick);

    const std::pair<QAction*, const char*> names[] = {
        {mnuFileOpen, "mnuFileOpen"},         {mnuFileSave, "mnuFileSave"},
        {mnuFileSaveAs, "mnuFileSaveAs"},     {mnuFileExit, "mnuFileExit"},
        {mnuEditSource, "mnuEditSource"},     {mnuEditCopyDest, "mnuEditCopyDest"},
        {mnuEditPaste, "mnuEditPaste"},       {mnuPasteDest, "mnuPasteDest"},
        {mnuOptionsAutoApply, "mnuOptionsAutoApply"}, {mnuOptionsViewTiled, "mnuOptionsViewTiled"},
        {mnuOptionsShowSplash, "mnuOptionsShowSplash"}, {mnuOptionsFile, "mnuOptionsFile"},
        {mnuOptionsConfirmDiscard, "mnuOptionsConfirmDiscard"},
        {mnuOptionsKeepOrientation, "mnuOptionsKeepOrientation"},
        {mnuOptionsTodaysLines, "mnuOptionsTodaysLines"},
        {mnuOptionsCompareFormats, "mnuOptionsCompareFormats"},
        {mnuHelpContents, "mnuHelpContents"}, {mnuHelpAbout, "mnuHelpAbout"},
    };
    for (const auto& [action, name] : names)
        action->setObjectName(QString::fromLatin1(name));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
}

} // namespace pictaron
