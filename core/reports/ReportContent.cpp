#include "core/reports/ReportContent.h"

#include "core/recording/ReadingTable.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') && !bytes.contains('\n'))
        return bytes;
    return '"' + bytes.replace('"', "\"\"") + '"';
}

} // namespace

std::optional<ReportFileFormat> ReportFileFormatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"pdf")
        return ReportFileFormat::Pdf;
    if (suffix == u"html" || suffix == u"htm")
        return ReportFileFormat::Html;
    if (suffix == u"txt")
        return ReportFileFormat::Text;
    if (suffix == u"csv")
        return ReportFileFormat::Csv;
    return std::nullopt;
}

ReportContent::ReportContent(ReportLayout layout, const ReadingTable *rows, QString printDate, qint32 countLabel)
    : reportLayout(std::move(layout))
    , pagination(reportLayout, rows ? rows->rowCount() : 0)
    , table(rows)
    , date(std::move(printDate))
    , pageCountLabel(countLabel)
{
    // Each band's text items, left to right; a centred item stands at the band's middle.
    const auto leftOf = [](const ReportItem *item) { return item->centred ? ReportLayout::BandWidth / 2 : item->left; };
    for (const ReportBand &band : reportLayout.bands) {
        QList<const ReportItem *> items;
        for (const ReportItem &item : band.items) {
            if (item.kind != ReportItem::Kind::Picture)
                items.append(&item);
        }
        std::stable_sort(items.begin(), items.end(),
                         [&](const ReportItem *a, const ReportItem *b) { return leftOf(a) < leftOf(b); });
        itemsByBand.append(items);
    }
}

QString ReportContent::itemText(const ReportItem &item, qint64 number, qint64 row) const
{
    switch (item.kind) {
    case ReportItem::Kind::Text: return item.text;
    case ReportItem::Kind::Field:
        if (!table || row < 0 || row >= table->rowCount() || item.field < 0 || item.field > 3)
            return {};
        return table->text(row, item.field).value_or(QString());
    case ReportItem::Kind::Date: return date;
    case ReportItem::Kind::PageNumber: return QString::number(number);
    case ReportItem::Kind::PageCount: return QString::number(pageCountLabel);
    case ReportItem::Kind::Picture: return {};
    }
    return {};
}

const QList<const ReportItem *> &ReportContent::textItems(const ReportBand &band) const
{
    return itemsByBand[&band - reportLayout.bands.data()];
}

QByteArray ReportContent::textPage(qint64 number) const
{
    QByteArray out;
    for (const ReportPagination::PlacedBand &placed : pagination.page(number)) {
        QList<std::pair<qsizetype, QString>> placedTexts; // column, text
        for (const ReportItem *item : textItems(*placed.band)) {
            const QString text = itemText(*item, number, placed.row);
            const qsizetype column = item->centred ? std::max<qsizetype>((TextColumns - text.size()) / 2, 0)
                                                   : qRound(item->left / ReportLayout::BandWidth * TextColumns);
            placedTexts.append({column, text});
        }
        std::stable_sort(placedTexts.begin(), placedTexts.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QString line;
        for (const auto &[column, text] : placedTexts) {
            if (text.isEmpty())
                continue;
            // Never over the item before: at least a blank between two.
            const qsizetype at = line.isEmpty() ? column : std::max(column, line.size() + 1);
            line = line.leftJustified(at, u' ') + text;
        }
        out += line.toUtf8() + "\r\n";
    }
    return out;
}

QByteArray ReportContent::csvPage(qint64 number) const
{
    QByteArray out;
    for (const ReportPagination::PlacedBand &placed : pagination.page(number)) {
        const QList<const ReportItem *> items = textItems(*placed.band);
        if (items.isEmpty())
            continue;
        QByteArrayList fields;
        for (const ReportItem *item : items)
            fields << csvField(itemText(*item, number, placed.row));
        out += fields.join(',') + "\r\n";
    }
    return out;
}
