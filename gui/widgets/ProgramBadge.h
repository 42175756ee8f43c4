#pragma once

#include <QIcon>
#include <QWidget>

class QPainter;

// The program's badge (its icon: a meter with its display and dial), drawn
// stretched over any rectangle on a transparent ground.
void paintProgramBadge(QPainter &painter, const QRectF &area);

// The program's icon for its windows (the window manager's title bar and
// task list), the badge painted at whatever size is asked: no file to find.
QIcon ProgramIcon();

// A picture of the badge, stretched over the widget, the ground showing through.
class ProgramBadge : public QWidget
{
public:
    explicit ProgramBadge(QWidget *parent = nullptr) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};
