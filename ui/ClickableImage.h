#pragma once

#include <QIcon>
#include <QWidget>

// A picture that acts on a click (help, unzip, the password eye). It paints its icon at the
// screen's pixel density every time, so it stays sharp on a high-density screen. It has no
// caption: the window translation gives it only a tool tip.
class ClickableImage : public QWidget {
    Q_OBJECT

public:
    ClickableImage(const QIcon &icon, int size, QWidget *parent = nullptr);

    void setIcon(const QIcon &icon);
    // Lets a test or a keyboard user act on it.
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QIcon icon_;
};
