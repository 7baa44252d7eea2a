// The colour entry control: a colour typed as six hexadecimal digits in the
// form of web pages (FF8000) or as three decimal numbers (255,128,0), framed by
// a border painted in the colour itself, with a button that opens the colour
// picker dialog.
//
// The text decides the mode: a comma makes it decimal; the comma key turns a
// hexadecimal text into decimal and a letter A-F turns a decimal text back.
// Every change of the text is processed at once: Color() becomes the colour,
// or the button-face colour while the text is not one, and OnChange fires.
//
// The keys go through the same rules whichever way the focus came (Tab, a
// click on the entry or on the control's border): the entry's combo box holds
// the focus and hands keys to its text, so both are filtered. A paste (Ctrl+V,
// the context menu, the middle button's selection, a drop) must leave a text
// that typing could make (EntryTextAllowed): spaces and line breaks are
// dropped, anything else is refused whole.
//
// The size hint fits the longest text, "255,255,255", beside the button in
// the font in use; the control never gets narrower than that in a layout and
// keeps its height.
#pragma once

#include "colour/colourentrytext.h"
#include "effects/pixels.h"

#include <QWidget>

class QComboBox;
class QToolButton;

namespace pictaron {

class TOrvaColourPicker : public QWidget {
    Q_OBJECT
public:
    // designedColour is Color() until the first change of the text.
    explicit TOrvaColourPicker(TColor designedColour = clBtnFace, QWidget* parent = nullptr);

    // The colour; the button-face colour while the text is not a colour.
    TColor Color() const { return colour_; }
    bool IsValid() const { return valid_; }
    // The colour as a pixel, black while the text is not a colour.
    RGBTriple GetRGB() const;
    // Writes the colour in the current mode (FF8000 or 255,128,0).
    void SetColour(TColor colour);

    QString Text() const;
    void SetText(const QString& text);
    EntryMode Mode() const { return mode_; }

    // Show "All values must be between 0 and 255." for a decimal part above 255.
    bool Warnings = false;
    QString Version() const { return QStringLiteral("1.4"); }

    // Opens the colour picker with this colour; OK sets the chosen colour.
    void ShowPicker();

    QComboBox* Entry() const { return entry_; }
    QToolButton* PickerButton() const { return button_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // After every change of the text has been processed.
    void OnChange();
    // After the picker has been closed.
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class EntryValidator;

    void ProcessText();
    // Key handling before a key reaches the entry; true when it is consumed.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers, const QString& typed);
    void FillList();
    void ListChosen(int index);
    void SetEntryText(const QString& text);
    // Text put into the entry by the control itself, which is not checked as
    // an edit of the user's.
    void WriteEntry(const QString& text);
    // The entry's width for text of the given width, with its frame and arrow.
    int EntryWidthFor(int textWidth) const;

    QComboBox* entry_;
    QToolButton* button_;
    TColor colour_;
    EntryMode mode_ = EntryMode::Hex;
    bool valid_ = false;
    bool fillingList_ = false;
    bool writing_ = false;
};

} // namespace pictaron
