#include "ClickableImage.h"

#include <QMouseEvent>
#include <QPainter>

ClickableImage::ClickableImage(const QIcon &icon, int size, QWidget *parent) : QWidget(parent), icon_(icon)
{
    setFixedSize(size, size);
}

void ClickableImage::setIcon(const QIcon &icon)
{
    icon_ = icon;
    update();
}

void ClickableImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    icon_.paint(&painter, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

void ClickableImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}
