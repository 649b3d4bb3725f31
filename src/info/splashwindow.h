#pragma once
// The splash window `frmSplash`: the product picture with the owner's name and organisation,
// shown first. It hands over to the main window on the first of its timer, a key that types
// something, or a mouse press on its own surface, and is gone after that.

#include "ownersettings.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <optional>

class QLabel;

namespace quenbry {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    enum class HandOff { Timer, Key, Click };
    static constexpr std::chrono::milliseconds defaultTimeout{2500};

    // The labels show the owner as read; the timer runs for `timeout` from when the window
    // is shown. The window deletes itself when it closes.
    explicit SplashWindow(const Owner &owner, std::chrono::milliseconds timeout = defaultTimeout,
                          QWidget *parent = nullptr);

    // Opens the main window; called once. On the timer the splash has closed already; on a
    // key or a click it is still on screen while the main window starts, and closes after.
    std::function<void(HandOff)> onOpenMain;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void handOff(HandOff by);
    void closeNow();

    QImage picture_;
    QTimer timer_;
    std::optional<HandOff> handedOffBy_;
    bool closing_ = false;
    // Object names lbl3 (name), lbl2 ("Company"), lbl4 (organisation).
    QLabel *nameLabel_;
    QLabel *companyHeading_;
    QLabel *organisationLabel_;
};

} // namespace quenbry
