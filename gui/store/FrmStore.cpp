#include "gui/store/FrmStore.h"

#include "core/store/Store.h"
#include "gui/widgets/ButtonGlyphs.h"
#include "gui/widgets/FixedDialog.h"
#include "gui/widgets/Fonts.h"

#include <QEvent>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>

#include <array>

namespace {

constexpr std::array<int, 6> ColumnWidths{36, 67, 66, 71, 92, 77};

} // namespace

TFrmstore::TFrmstore(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "Frmstore", QStringLiteral("Store "), {447, 493});
    setBackground(this, WindowColours::SkyBlue);

    SpeedButton8 = pictureButton(this, ButtonGlyphs::save(), QStringLiteral("Save Data"), {288, 4, 33, 21});
    SpeedButton9 = pictureButton(this, ButtonGlyphs::remove(), QStringLiteral("Delete Data"), {320, 4, 33, 21});
    SpeedButton1 = pictureButton(this, ButtonGlyphs::open(), QString(), {352, 4, 33, 21});
    SpeedButton7 = pictureButton(this, ButtonGlyphs::print(), QString(), {384, 4, 33, 21});
    SpeedButton2 = pictureButton(this, ButtonGlyphs::close(), QString(), {416, 4, 29, 21});
    connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::close);

    storeRows = new QStandardItemModel(0, int(ColumnWidths.size()), this);
    storeRows->setHorizontalHeaderLabels(Store::FieldNames());
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(0, 24, 441, 469);
    DBGrid1->setModel(storeRows);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->hide();
    setBackground(DBGrid1, WindowColours::SkyBlue);
    setBackground(DBGrid1->viewport(), WindowColours::SkyBlue);
    QHeaderView *titles = DBGrid1->horizontalHeader();
    titles->setFont(arialPixels(13));
    titles->setDefaultAlignment(Qt::AlignCenter);
    setTextColour(titles, WindowColours::Fuchsia);
    for (int column = 0; column < int(ColumnWidths.size()); ++column) {
        DBGrid1->setColumnWidth(column, ColumnWidths[size_t(column)]);
        storeRows->setHeaderData(column, Qt::Horizontal, QVariant::fromValue(WindowColours::Fuchsia),
                                 Qt::ForegroundRole);
    }
}

// The store has no source to read its rows from: the grid is refreshed to
// what it holds, nothing.
void TFrmstore::FormActivate()
{
    storeRows->removeRows(0, storeRows->rowCount());
    DBGrid1->viewport()->update();
}

bool TFrmstore::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}
