// The edit box of every numeric and file-name entry.
//
// A key filter runs for every typed character before it reaches the text (a
// refused key is dropped); a minimum is enforced when the edit loses focus; an
// optional browse button beside the edit fills it from a file dialog and
// remembers that dialog's folder in the settings.
#pragma once

#include <QLineEdit>

class QToolButton;

namespace pictaron {

enum class TOrvaGlyph { sgOpen, sgSave };

class TOrvaEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TOrvaEdit(QWidget* parent = nullptr);

    // Whole (or, with AllowDecimal, decimal) numbers: only backspace, ".",
    // digits and the copy, paste and cut keys pass. A digit typed over a
    // selection clears the whole text first. With Max > 0, a key that would
    // make the text (with the key appended) exceed Max is refused.
    bool NumericOnly = false;
    bool AllowDecimal = false;
    // Applied to every edit after the numeric rules; backspace always passes.
    QString AllowChars;  // when set, only these characters may be typed
    QString BlockChars;  // when set, these characters may not be typed
    int Max = 0;
    // When Min > 0, leaving the edit for another control raises a smaller
    // value (or text that is not a number) to Min; the window losing the focus
    // (another window, a menu) leaves the text alone.
    int Min = 0;
    // Pasted and dropped text (Ctrl+V, the context menu, a middle click, a
    // drop) goes in as if typed, one character at a time through the rules.

    // The text as a decimal integer; 0 when empty or not a number.
    int IntValue() const;

    // The browse button: 24 pixels wide, directly right of the edit in the same
    // parent, moving and enabling with it. FileFilter is written
    // "Description|*.ext|..."; the dialog's folder is remembered in the value
    // FileBrowserInitDirRegValue of the settings "Organisation/Application"
    // named by FileBrowserInitDirRegPath.
    void SetFileBrowser(bool on);
    bool FileBrowser() const { return browse_ != nullptr; }
    TOrvaGlyph FileGlyph = TOrvaGlyph::sgOpen;
    QString FileFilter;
    QString FileDefaultExt;
    QString FileBrowserInitDirRegPath;
    QString FileBrowserInitDirRegValue;
    QToolButton* BrowseButton() const { return browse_; }

    // The browse dialog's first folder: the folder of the text when it exists,
    // otherwise the remembered folder (fromSettings then tells so).
    QString InitialBrowseFolder(bool* fromSettings) const;
    // What OK in the browse dialog does: the text becomes the file, and the
    // file's folder is remembered when the first folder came from the settings.
    void AcceptBrowsedFile(const QString& file, bool fromSettings);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool KeyPasses(QChar key);
    void TypeText(const QString& text);
    void PlaceBrowseButton();
    void Browse();

    QToolButton* browse_ = nullptr;
};

} // namespace pictaron
