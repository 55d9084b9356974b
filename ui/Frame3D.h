#pragma once

#include <QFrame>

class QLabel;

// A raised panel with an optional caption, clickable as a whole (the maker's notice strip opens
// the web site). The caption is the "text" property, so the window translation sets it.
class Frame3D : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit Frame3D(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // Where the caption sits, for panels that lay it out among other widgets.
    QLabel *captionLabel() const { return caption_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QLabel *caption_;
};
