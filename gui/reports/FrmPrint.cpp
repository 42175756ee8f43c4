#include "gui/reports/FrmPrint.h"

#include "gui/widgets/ButtonGlyphs.h"
#include "gui/widgets/FixedDialog.h"
#include "gui/widgets/Fonts.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

using WindowColours::Blue;
using WindowColours::Green;
using WindowColours::Purple;

QFont styleFont()
{
    QFont font = arialPixels(19, true);
    font.setItalic(true);
    return font;
}

QRadioButton *option(QGroupBox *box, const QString &caption, const QRect &geometry)
{
    auto *button = new QRadioButton(caption, box);
    button->setFont(styleFont());
    setTextColour(button, Purple);
    button->setGeometry(geometry);
    return button;
}

QPushButton *pictureChooser(QGroupBox *box, int pixels, const QRect &geometry)
{
    auto *button = new QPushButton(QStringLiteral("..."), box);
    button->setFont(arialPixels(pixels, true));
    setTextColour(button, Green);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(QStringLiteral("Select Graph"));
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

} // namespace

TFrmprint::TFrmprint(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "Frmprint", QStringLiteral("Print Style"), {290, 233});
    ReportPictureFile.clear();

    GroupBox1 = new QGroupBox(QStringLiteral("Select  Style"), this);
    GroupBox1->setFont(styleFont());
    setTextColour(GroupBox1, Blue);
    GroupBox1->setGeometry(16, 16, 265, 169);
    RadioButton1 = option(GroupBox1, QStringLiteral("Data Report"), {16, 36, 165, 25});
    RadioButton1->setChecked(true);
    RadioButton2 = option(GroupBox1, QStringLiteral("Graph Report"), {16, 72, 153, 29});
    Button1 = pictureChooser(GroupBox1, 14, {172, 76, 21, 21});
    RadioButton3 = option(GroupBox1, QStringLiteral("Data+Graph Report"), {16, 108, 205, 37});
    Button2 = pictureChooser(GroupBox1, 16, {224, 116, 21, 21});

    BitBtn1 = new QPushButton(ButtonGlyphs::ok(), QStringLiteral("OK"), this);
    BitBtn1->setGeometry(28, 192, 73, 29);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(ButtonGlyphs::remove(), QStringLiteral("Cancel"), this);
    BitBtn2->setGeometry(176, 192, 81, 33);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject); // Esc does the same
}
