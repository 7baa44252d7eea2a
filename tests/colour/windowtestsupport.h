// Shared by the window tests: a private settings folder and temporary folder
// for the whole test program, and a message sink that records what would have
// been shown and answers questions as told.
#pragma once

#include "colour/messages.h"
#include "colour/screengrab.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

namespace pictaron {

// Points the settings and the temporary folder into a fresh folder; call
// before the application object exists.
void PrepareWindowTestEnvironment();

// Empties the "Color Picker" settings.
void ClearPickerSettings();

class RecordingSink : public MessageSink {
public:
    RecordingSink() { SetMessageSink(this); }
    ~RecordingSink() override { SetMessageSink(nullptr); }

    void Show(QWidget*, const QString& text) override { shown << text; }
    bool Confirm(QWidget*, const QString& text) override
    {
        asked << text;
        return answerYes;
    }
    std::optional<QString> AskText(QWidget*, const QString& title, const QString& prompt) override
    {
        asked << title + QLatin1Char('|') + prompt;
        return textAnswer;
    }

    QStringList shown;
    QStringList asked;
    bool answerYes = true;
    std::optional<QString> textAnswer;
};

// Pixel (x, y) of the made-up screen: rgb(x mod 256, y mod 256,
// 16 (x div 256) + y div 256), so every pixel tells where it is.
QRgb FakeScreenRgb(int x, int y);

// A 1280 x 800 screen of FakeScreenRgb pixels in place of the real one, or
// one that refuses to be read.
class FakeScreen : public ScreenSource {
public:
    FakeScreen();
    ~FakeScreen() override { SetScreenSource(nullptr); }
    std::optional<QImage> Grab(const QRect& area) override;
    QRect ScreenAt(QPoint) override { return screen_.rect(); }

    bool refuse = false;

private:
    QImage screen_;
};

} // namespace pictaron

#define PICTARON_WINDOW_TEST_MAIN(TestObject)          \
    int main(int argc, char** argv)                    \
    {                                                  \
        pictaron::PrepareWindowTestEnvironment();      \
        QApplication app(argc, argv);                  \
        TestObject test;                               \
        return QTest::qExec(&test, argc, argv);        \
    }
