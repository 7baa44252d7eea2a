// The splash window shown at start and, with its animation, as the About box.
//
// Borderless, 472 by 286, centred on the screen: the program's picture, the
// version label, a notice and a small "email a friend" animation in the top
// right corner that plays only in the About box.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QTimer;

namespace pictaron {

// The small envelope that flies across its 86 by 29 strip while active.
class EmailAnimation : public QWidget {
    Q_OBJECT
public:
    explicit EmailAnimation(QWidget* parent = nullptr);
    void SetActive(bool active);
    bool IsActive() const;

signals:
    // The left or right mouse button was released over the animation.
    void EmailAFriendRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QTimer* frames_;
    int frame_ = 0;
};

class TfrmSplash : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStartPauseMs = 2001;
    static const QString kVersionText;

    explicit TfrmSplash(QWidget* parent = nullptr);

    // The start-up splash: shown without its animation for kStartPauseMs,
    // then closed and destroyed, after which then runs. The pause waits in the
    // event loop, so windows already on screen keep responding.
    static void ShowAtStart(std::function<void()> then);
    // The About box: modal, with the animation playing. A click on the picture
    // or Escape closes it.
    static void ShowAbout(QWidget* parent);

    EmailAnimation* Animation() const { return aniEmailAFriend; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap Image1;
    QLabel* lblVersion;
    QLabel* lblNotice;
    EmailAnimation* aniEmailAFriend;
};

} // namespace pictaron
