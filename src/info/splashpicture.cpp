#include "splashpicture.h"

#include "buildinfo.h"

#include <QCoreApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace quenbry {

namespace {

// The translation context of the texts below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(SplashPicture)
};

} // namespace

QImage splashPicture() {
    QImage image(464, 279, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Light enough everywhere that the splash's blue labels read at well over 4.5:1, and white
    // along the bottom, where the About box's taller client area goes on in its own colour.
    QLinearGradient sky(0, 0, 160, 279);
    sky.setColorAt(0.0, QColor(208, 228, 240));
    sky.setColorAt(0.6, QColor(240, 246, 250));
    sky.setColorAt(1.0, QColor(252, 255, 255));
    p.fillRect(image.rect(), sky);

    // A watermark of markup under the name, in the skin's caption blue.
    const QColor neo(47, 122, 151);
    QFont mark;
    mark.setPixelSize(96);
    mark.setBold(true);
    p.setFont(mark);
    p.setPen(QColor(47, 122, 151, 22));
    p.drawText(QRect(18, 140, 200, 120), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("</>"));

    QFont name;
    name.setPixelSize(38);
    name.setBold(true);
    p.setFont(name);
    p.setPen(neo.darker(160));
    p.drawText(QPoint(28, 72), QStringLiteral("Quenbry"));

    QFont kind;
    kind.setPixelSize(20);
    p.setFont(kind);
    p.setPen(neo.darker(130));
    p.drawText(QPoint(30, 100), Text::tr("HTML Editor"));

    // The edition is the major version; the About box gives the full one.
    const QString version = QLatin1String(applicationVersion);
    QFont edition;
    edition.setPixelSize(12);
    edition.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(edition);
    p.setPen(QColor(70, 84, 92));
    p.drawText(QPoint(31, 124), Text::tr("EDITION %1").arg(version.section(u'.', 0, 0)));
    return image;
}

} // namespace quenbry
