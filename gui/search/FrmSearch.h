#pragma once

#include "core/search/Search.h"

#include <QDialog>

#include <array>

class Dialogs;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QStandardItemModel;
class QTableView;

// The search window: a grid of the query's rows, the seven conditions, Search
// and Cancel. The program keeps no database: a search by a condition ends in
// an error box, a search without one in " No records for you searching ! ".
class TFrmsearch : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmsearch(QWidget *parent = nullptr);

    // Boxes go through whatever `dialogs` points to at the time.
    void setDialogs(Dialogs *const &dialogs) { boxes = &dialogs; }

    void BitBtn1Click();

    QTableView *DBGrid1 = nullptr;
    QGroupBox *GroupBox1 = nullptr; // "Condition"
    std::array<QRadioButton *, Search::ConditionCount> conditions{};
    QPushButton *BitBtn1 = nullptr; // "&Search"
    QPushButton *BitBtn2 = nullptr; // Cancel

private:
    SearchQuery Query1;
    QStandardItemModel *queryRows = nullptr;
    Dialogs *const *boxes = nullptr;
};
