// Every window of the program under a dark and a light desktop theme: the text of each widget
// reads at 4.5:1 on the colour painted most behind it.
#include "appearance/colourcontrast.h"
#include "findui/findbar.h"
#include "info/aboutbox.h"
#include "info/splashwindow.h"
#include "shell/mainwindow.h"
#include "template/newpagedialog.h"
#include "testsupport/scriptedservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyle>
#include <array>
#include <gtest/gtest.h>

namespace quenbry {
namespace {

// The colour covering most of the area apart from the text's own pixels; a gradient's steps
// count as one colour, their average.
QColor background(const QImage &image, const QRect &area, const QColor &text) {
    QMap<int, std::array<long, 4>> buckets; // pixels, then the sums of red, green and blue
    std::array<long, 4> most{};
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            auto &b = buckets[p.red() / 24 * 4096 + p.green() / 24 * 64 + p.blue() / 24];
            if (contrastRatio(p, text) >= 1.2)
                b = {b[0] + 1, b[1] + p.red(), b[2] + p.green(), b[3] + p.blue()};
            most = b[0] > most[0] ? b : most;
        }
    return most[0] ? QColor(most[1] / most[0], most[2] / most[0], most[3] / most[0]) : text;
}

void expectLegible(QWidget *window, const char *theme) {
    const QImage image = window->grab().toImage();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(w);
        const auto *button = qobject_cast<QAbstractButton *>(w);
        const bool editor = w->objectName() == "RichTextBox1", bar = qobject_cast<QMenuBar *>(w);
        if (!w->isVisibleTo(window) ||
            (label    ? label->text().isEmpty()
             : button ? button->text().isEmpty()
                      : !(editor || bar || qobject_cast<QLineEdit *>(w) ||
                          qobject_cast<QComboBox *>(w))))
            continue;
        const QRect area = QRect(w->mapTo(window, QPoint()), w->size()) & image.rect();
        for (auto role : {w->foregroundRole(), editor ? QPalette::Text
                                               : bar  ? QPalette::ButtonText
                                                      : w->foregroundRole()}) {
            const QColor text = w->palette().color(role), back = background(image, area, text);
            EXPECT_GE(contrastRatio(text, back), LegibleContrast)
                << theme << " " << window->objectName().toStdString() << " "
                << w->metaObject()->className() << " " << w->objectName().toStdString() << " "
                << text.name().toStdString() << " on " << back.name().toStdString();
        }
    }
}

TEST(Themes, EveryWindowReadsUnderADarkAndALightTheme) {
    const QPalette light = QApplication::palette();
    QPalette dark = QApplication::style()->standardPalette();
    for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
        dark.setColor(role, QColor(45, 45, 45));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(238, 238, 236));
    for (const auto &[theme, palette] : {std::pair{"dark", dark}, std::pair{"light", light}}) {
        QApplication::setPalette(palette);
        ScriptedDesktop desktop;
        MainWindow window(desktop.services());
        window.onEndProcess = [] {
        };
        window.startUp();
        window.findBar()->open(true);
        expectLegible(&window, theme);
        SplashWindow splash({"Ada Lovelace", "Analytical Engines"}, std::chrono::hours(1));
        NewPageDialog newPage(window.skinConfiguration(), desktop.dialogs, &window);
        AboutBox about(window.skinConfiguration(), desktop.services(), &window);
        QMessageBox box(QMessageBox::Question, "Quenbry HTML Editor", "Save?",
                        QMessageBox::Yes | QMessageBox::No, &window);
        for (QWidget *w : std::initializer_list<QWidget *>{&splash, &newPage, &about, &box}) {
            w->show();
            expectLegible(w, theme);
        }
    }
    QApplication::setPalette(light);
}

} // namespace
} // namespace quenbry
