#include "SpeedButton.h"

#include "JpegImage.h"

#include <QIcon>
#include <QPixmap>
#include <QToolButton>

QToolButton *SpeedButton::create(QWidget *parent, const QString &objectName, const QString &caption,
                                 const QString &picture, int left, int top, int width, int height,
                                 const QFont &font, bool flat)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(objectName);
    b->setText(caption);
    b->setFont(font);
    b->setGeometry(left, top, width, height);
    b->setAutoRaise(flat);
    b->setFocusPolicy(Qt::NoFocus);
    if (!picture.isEmpty()) {
        const QImage image = JpegImage::load(picture);
        if (!image.isNull()) {
            b->setIcon(QIcon(QPixmap::fromImage(image)));
            b->setIconSize(QSize(32, 32));
            b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
    }
    return b;
}
