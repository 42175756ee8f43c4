#pragma once

#include <QFrame>
#include <QString>

// A panel with a centred caption and a one-pixel bevel. Panels with a hand
// cursor serve as push buttons ("CONNECT", "EXIT") and emit clicked().
class Panel : public QFrame
{
    Q_OBJECT

public:
    enum class Bevel { None, Raised, Lowered };

    explicit Panel(QWidget *parent = nullptr, Bevel bevel = Bevel::Raised);

    QString caption() const { return captionText; }
    void setCaption(const QString &caption);
    void setCaptionColor(const QColor &color);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString captionText;
    bool pressed = false;
};
