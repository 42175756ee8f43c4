#pragma once

#include <QDialog>

class ProgramBadge;
class QLabel;

// The About window: the brand, the program's badge, its name, the version
// line, the web line and the rights notice. A click on the window or on most
// of what is in it closes it; the small badge and the web line take no click.
class TFrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget *parent = nullptr);

    QLabel *brand = nullptr;
    ProgramBadge *smallPicture = nullptr;
    QLabel *company = nullptr;
    ProgramBadge *largePicture = nullptr;
    QLabel *version = nullptr;
    QLabel *webCaption = nullptr;
    QLabel *webAddress = nullptr;
    QLabel *rights = nullptr;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
