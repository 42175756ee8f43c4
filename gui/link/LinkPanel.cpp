#include "gui/link/LinkPanel.h"

#include "core/link/LinkControl.h"
#include "gui/link/LinkControls.h"
#include "gui/widgets/Panel.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <optional>
#include <utility>

LinkPanel::LinkPanel(LinkControls &controls, LinkControl &linkControl, std::function<void()> repaint)
    : ui(controls), link(linkControl), changed(std::move(repaint))
{
    connect(ui.Panel2, &Panel::clicked, this, &LinkPanel::Panel2Click);
    connect(ui.SetFeature, &QPushButton::clicked, this, &LinkPanel::SetFeatureClick);
    connect(ui.Panel1, &Panel::clicked, this, &LinkPanel::Panel1Click);
    for (int n = 1; n <= 4; ++n)
        connect(ui.COMItems[size_t(n - 1)], &QAction::triggered, this, [this, n] { selectComPort(n); });
    connect(ui.USB, &QAction::triggered, this, &LinkPanel::USBClick);
    connect(ui.ConTimer, &QTimer::timeout, this, &LinkPanel::ConTimerTimer);
}

void LinkPanel::Panel2Click()
{
    link.toggleConnection();
    refresh();
}

void LinkPanel::USBConClick()
{
    link.toggleCableReading();
    refresh();
}

void LinkPanel::ReadBtnClick()
{
    link.applyProbe();
    refresh();
}

void LinkPanel::SetFeatureClick()
{
    link.configureCable();
    refresh();
}

void LinkPanel::ConTimerTimer()
{
    link.watchdogTick();
    refresh();
}

void LinkPanel::logProbe(const QString &line)
{
    link.eventLog.append(line);
    refresh();
}

// The hidden controls are not seen, but the caption of Panel2, the ComSet menu
// and the LCD's state follow them.
void LinkPanel::refresh()
{
    ui.Panel2->setCaption(link.connectCaption());
    ui.Panel2->setCaptionColor(Qt::black);
    ui.Comset->setEnabled(link.portsEnabled);
    ui.USBCon->setChecked(link.reading);

    QStringList names;
    for (const DevListEntry &entry : link.devices)
        names << entry.text;
    QStringList shown;
    for (int i = 0; i < ui.DevListBox->count(); ++i)
        shown << ui.DevListBox->item(i)->text();
    if (shown != names) {
        ui.DevListBox->clear();
        ui.DevListBox->addItems(names);
    }
    ui.DevListBox->setCurrentRow(link.selectedIndex);
    for (qsizetype i = ui.HistoryListBox->count(); i < link.eventLog.size(); ++i)
        ui.HistoryListBox->addItem(link.eventLog[i]);
    ui.HistoryListBox->setCurrentRow(ui.HistoryListBox->count() - 1);
    changed();
}

// Steps the port selection on by clicking the next port's item, while not connected.
void LinkPanel::Panel1Click()
{
    if (const std::optional<int> next = link.nextPortSelection())
        (*next == 5 ? ui.USB : ui.COMItems[size_t(*next - 1)])->trigger();
}

// The port handlers run when their item is triggered (clicked); by then the
// checkable item has already toggled its own check mark.
void LinkPanel::selectComPort(int n)
{
    for (int i = 1; i <= 4; ++i) {
        if (i != n)
            ui.COMItems[size_t(i - 1)]->setChecked(false);
    }
    link.selectPort(n);
    ui.Panel1->setCaption(link.portCaption());
}

void LinkPanel::USBClick()
{
    for (QAction *item : ui.COMItems)
        item->setChecked(false);
    link.selectPort(5);
    ui.Panel1->setCaption(link.portCaption());
}
