#include "components/orvaedit.h"

#include "components/fileglyphs.h"
#include "components/pathutils.h"
#include "components/qtbridge.h"
#include "components/settingstext.h"
#include "components/textutils.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QToolButton>

#include <memory>

namespace pictaron {

namespace {

constexpr QChar kBackspace(0x08);
constexpr QChar kCopy(0x03);
constexpr QChar kPaste(0x16);
constexpr QChar kCut(0x18);

// The character a key press would type; a null character for keys that type
// nothing (arrows, Delete, function keys), which the filter never sees.
QChar TypedCharacter(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy))
        return kCopy;
    if (event->matches(QKeySequence::Paste))
        return kPaste;
    if (event->matches(QKeySequence::Cut))
        return kCut;
    if (event->key() == Qt::Key_Backspace)
        return kBackspace;
    const QString text = event->text();
    if (text.isEmpty())
        return {};
    // A Ctrl chord types a control character, whatever letter the event carries.
    if (event->modifiers() & Qt::ControlModifier && text[0].isLetter())
        return QChar(text[0].toUpper().unicode() - 'A' + 1);
    return text[0];
}

std::unique_ptr<QSettings> SettingsAt(const QString& organisationAndApplication)
{
    const QString organisation = organisationAndApplication.section(QLatin1Char('/'), 0, 0);
    const QString application = organisationAndApplication.section(QLatin1Char('/'), 1);
    return std::make_unique<QSettings>(organisation, application);
}

} // namespace

TOrvaEdit::TOrvaEdit(QWidget* parent) : QLineEdit(parent) {}

int TOrvaEdit::IntValue() const
{
    return IntOrDefault(text(), 0);
}

bool TOrvaEdit::KeyPasses(QChar key)
{
    if (NumericOnly) {
        const bool control = key == kBackspace || key == kCopy || key == kPaste || key == kCut;
        if (!control && key != QLatin1Char('.') && !key.isDigit())
            return false;
        if (key == QLatin1Char('.') && (!AllowDecimal || text().contains(QLatin1Char('.'))))
            return false;
        if (key != kBackspace) {
            if (hasSelectedText() && key.isDigit())
                clear();
            if (Max > 0) {
                bool isNumber = false;
                const int value = (text() + key).toInt(&isNumber, 10);
                if (isNumber && value > Max)
                    return false;
            }
        }
    }
    if (key != kBackspace) {
        if (!BlockChars.isEmpty() && BlockChars.contains(key))
            return false;
        if (!AllowChars.isEmpty() && !AllowChars.contains(key))
            return false;
    }
    return true;
}

void TOrvaEdit::TypeText(const QString& text)
{
    if (isReadOnly())
        return;
    // Line breaks and other control characters are never typed into a line.
    for (const QChar c : text)
        if (c.unicode() >= 0x20 && KeyPasses(c))
            insert(QString(c));
}

void TOrvaEdit::keyPressEvent(QKeyEvent* event)
{
    const QChar key = TypedCharacter(event);
    if (!key.isNull() && !KeyPasses(key)) {
        event->accept();
        return;
    }
    if (key == kPaste) {
        TypeText(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TOrvaEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection of the desktop.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        TypeText(QGuiApplication::clipboard()->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TOrvaEdit::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            disconnect(action, nullptr, this, nullptr);
            connect(action, &QAction::triggered, this, [this] { TypeText(QGuiApplication::clipboard()->text()); });
        }
    }
    menu->exec(event->globalPos());
}

void TOrvaEdit::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasText())
        return;
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    TypeText(event->mimeData()->text());
    event->acceptProposedAction();
}

void TOrvaEdit::focusOutEvent(QFocusEvent* event)
{
    const bool windowLeft = event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    if (Min > 0 && !text().isEmpty() && !windowLeft) {
        bool isNumber = false;
        const int value = text().trimmed().toInt(&isNumber, 10);
        // Text that is no number at all is raised to Min as well: leaving the
        // edit never fails.
        if (!isNumber || value < Min)
            setText(QString::number(Min));
    }
    QLineEdit::focusOutEvent(event);
}

void TOrvaEdit::SetFileBrowser(bool on)
{
    if (on == FileBrowser())
        return;
    if (!on) {
        delete browse_;
        browse_ = nullptr;
        return;
    }
    browse_ = new QToolButton(parentWidget());
    browse_->setIcon(FileGlyph == TOrvaGlyph::sgOpen ? OpenFileGlyph() : SaveFileGlyph());
    browse_->setToolTip(FileGlyph == TOrvaGlyph::sgOpen ? tr("Choose a file") : tr("Choose where to save"));
    browse_->setFocusPolicy(Qt::TabFocus);
    connect(browse_, &QToolButton::clicked, this, &TOrvaEdit::Browse);
    browse_->setEnabled(isEnabled());
    browse_->setVisible(isVisible());
    PlaceBrowseButton();
}

void TOrvaEdit::PlaceBrowseButton()
{
    if (!browse_)
        return;
    if (browse_->parentWidget() != parentWidget())
        browse_->setParent(parentWidget());
    browse_->setGeometry(geometry().right() + 1, geometry().top(), 24, height());
}

void TOrvaEdit::moveEvent(QMoveEvent* event)
{
    QLineEdit::moveEvent(event);
    PlaceBrowseButton();
}

void TOrvaEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    PlaceBrowseButton();
}

void TOrvaEdit::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    if (browse_) {
        PlaceBrowseButton();
        browse_->show();
    }
}

void TOrvaEdit::hideEvent(QHideEvent* event)
{
    QLineEdit::hideEvent(event);
    if (browse_ && !event->spontaneous())
        browse_->hide();
}

void TOrvaEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (browse_ && event->type() == QEvent::EnabledChange)
        browse_->setEnabled(isEnabled());
    if (event->type() == QEvent::ParentChange)
        PlaceBrowseButton();
}

QString TOrvaEdit::InitialBrowseFolder(bool* fromSettings) const
{
    *fromSettings = false;
    const QString folder = ToQString(FolderWithSeparator(ToUtf8(text())));
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    if (FileBrowserInitDirRegPath.isEmpty() || FileBrowserInitDirRegValue.isEmpty())
        return {};
    *fromSettings = true;
    return ReadTextSetting(*SettingsAt(FileBrowserInitDirRegPath), FileBrowserInitDirRegValue);
}

void TOrvaEdit::AcceptBrowsedFile(const QString& file, bool fromSettings)
{
    setText(file);
    if (fromSettings)
        SettingsAt(FileBrowserInitDirRegPath)->setValue(FileBrowserInitDirRegValue, ToQString(FolderWithSeparator(ToUtf8(file))));
}

void TOrvaEdit::Browse()
{
    bool fromSettings = false;
    const QString folder = InitialBrowseFolder(&fromSettings);
    QFileDialog dialog(window(), QString(), folder, ToQString(QtFileFilter(ToUtf8(FileFilter))));
    dialog.setAcceptMode(FileGlyph == TOrvaGlyph::sgOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(FileGlyph == TOrvaGlyph::sgOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(FileDefaultExt);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        AcceptBrowsedFile(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()), fromSettings);
}

} // namespace pictaron
