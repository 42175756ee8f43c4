#include "gui/search/FrmSearch.h"

#include "gui/widgets/ButtonGlyphs.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FixedDialog.h"
#include "gui/widgets/Fonts.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>

namespace {

constexpr int FrameWidth = 535;
constexpr int OptionColumns = 4;
constexpr int OptionTops[] = {17, 35};
constexpr int OptionHeight = 18;
constexpr int OptionMargin = 8;

// The conditions left to right in two rows of four columns: in the frame's
// face the seven captions do not fit in one row across it.
void layOutOptions(const std::array<QRadioButton *, Search::ConditionCount> &options)
{
    const int columnWidth = (FrameWidth - 2 * OptionMargin) / OptionColumns;
    for (int i = 0; i < int(options.size()); ++i) {
        options[size_t(i)]->setGeometry(OptionMargin + (i % OptionColumns) * columnWidth, OptionTops[i / OptionColumns],
                                        columnWidth, OptionHeight);
    }
}

} // namespace

TFrmsearch::TFrmsearch(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "Frmsearch", QStringLiteral("Search"), {541, 363});

    queryRows = new QStandardItemModel(this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(0, 9, FrameWidth, 250);
    DBGrid1->setModel(queryRows);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    GroupBox1 = new QGroupBox(QStringLiteral("Condition"), this);
    GroupBox1->setGeometry(3, 264, FrameWidth, 55);
    GroupBox1->setFont(arialPixels(13, true));
    setTextColour(GroupBox1, WindowColours::Green);
    for (int i = 0; i < Search::ConditionCount; ++i)
        conditions[size_t(i)] = new QRadioButton(Search::Conditions()[i], GroupBox1);
    layOutOptions(conditions);

    BitBtn1 = new QPushButton(QStringLiteral("&Search"), this);
    BitBtn1->setGeometry(66, 324, 85, 31);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(ButtonGlyphs::remove(), QStringLiteral("Cancel"), this);
    BitBtn2->setGeometry(342, 324, 88, 31);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmsearch::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject); // Esc does the same
}

void TFrmsearch::BitBtn1Click()
{
    std::optional<int> selected;
    for (int i = 0; i < Search::ConditionCount && !selected; ++i) {
        if (conditions[size_t(i)]->isChecked())
            selected = i;
    }
    const Search::Outcome outcome = Search::Run(Query1, selected);
    queryRows->removeRows(0, queryRows->rowCount()); // the query's rows: it holds none
    if (!boxes)
        return;
    switch (outcome.kind) {
    case Search::Outcome::Kind::Error: (*boxes)->error(outcome.text); break;
    case Search::Outcome::Kind::NoRecords: (*boxes)->information(outcome.text); break;
    case Search::Outcome::Kind::Rows: break;
    }
}
