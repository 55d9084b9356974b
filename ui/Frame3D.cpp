#include "Frame3D.h"

#include <QLabel>
#include <QMouseEvent>

Frame3D::Frame3D(QWidget *parent) : QFrame(parent), caption_(new QLabel(this))
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    caption_->hide();
}

QString Frame3D::text() const { return caption_->text(); }

void Frame3D::setText(const QString &text)
{
    caption_->setText(text);
    caption_->setVisible(!text.isEmpty());
}

void Frame3D::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}
