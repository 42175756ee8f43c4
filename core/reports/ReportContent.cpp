#include "core/reports/ReportContent.h"

#include "core/common/Csv.h"
#include "core/recording/ReadingTable.h"
#include "core/recording/TableFields.h"

#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

QByteArray plainBytes(const QString &text)
{
    return text.toUtf8();
}

QByteArray htmlEscaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

// Millimetres with two decimals, as CSS lengths.
void appendMillimetres(std::string &out, double millimetres)
{
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, millimetres, std::chars_format::fixed, 2).ptr;
    out.append(digits, end);
    out += "mm";
}

std::string millimetres(double value)
{
    std::string out;
    appendMillimetres(out, value);
    return out;
}

std::string cssFont(const ReportFont &font)
{
    std::string css = "font-family:'" + font.family.toStdString() + "',Arial,'Liberation Sans',sans-serif;font-size:" +
                      QByteArray::number(font.points, 'g', 4).toStdString() + "pt;";
    if (font.bold)
        css += "font-weight:bold;";
    if (font.italic)
        css += "font-style:italic;";
    if (font.underline)
        css += "text-decoration:underline;";
    return css;
}

// What an item's HTML element holds whatever the page: all but its top and
// text. A text's box is its room, which it does not overflow.
ReportContent::HtmlParts htmlPartsOf(const ReportBand &band, const ReportItem &item)
{
    const std::string name = htmlEscaped(item.name).toStdString();
    if (item.kind == ReportItem::Kind::Picture) {
        return {"<img class=\"item\" alt=\"" + name +
                    "\" style=\"left:" + millimetres(ReportLayout::Margin + item.left) + ";top:",
                ";width:" + millimetres(item.width) + ";height:" + millimetres(item.height) + "\" src=\""};
    }
    const std::string place =
        item.centred ? "left:" + millimetres(ReportLayout::Margin) + ";width:" + millimetres(ReportLayout::BandWidth) +
                           ";text-align:center;"
                     : "left:" + millimetres(ReportLayout::Margin + item.left) +
                           ";width:" + millimetres(ReportLayout::roomOf(band, item).right - item.left) + ";";
    char colour[8];
    std::snprintf(colour, sizeof colour, "%06x", item.colour & 0xFFFFFFu);
    // Appended rather than added to a literal: GCC 12 warns wrongly of
    // overlapping copies in `"literal" + std::string` at -O2.
    std::string beforeTop = "<p class=\"item\" style=\"";
    beforeTop.append(place).append("top:");
    std::string afterTop = ";";
    afterTop.append(cssFont(item.font)).append("color:#").append(colour).append("\">");
    return {beforeTop, afterTop};
}

// Characters, not bytes, of UTF-8 text: every byte but a continuation byte.
qsizetype characterCount(std::string_view utf8)
{
    return std::count_if(utf8.begin(), utf8.end(), [](char byte) { return (quint8(byte) & 0xC0) != 0x80; });
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
    for (const ReportBand &band : reportLayout.bands) {
        QList<HtmlParts> parts;
        for (const ReportItem &item : band.items)
            parts.append(htmlPartsOf(band, item));
        htmlPartsByBand.append(parts);
    }
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

// The item's bytes as `encode` writes them; the texts of the table's fields
// come from `encoded`, each distinct one encoded once. The view holds until
// the next call.
std::string_view ReportContent::itemBytes(const ReportItem &item, qint64 number, qint64 row, EncodedTexts *encoded,
                                          std::string &scratch) const
{
    if (item.kind == ReportItem::Kind::Field && encoded && row >= 0 && row < table->rowCount()) {
        const ReadingTable::RowIds ids = table->rowIds(row);
        switch (item.field) {
        case 0: // digits and a sign need neither quoting nor escaping
            scratch.clear();
            if (ids.no)
                TableFields::appendNumber(scratch, *ids.no);
            return scratch;
        case 1: return encoded->bytes(ids.time);
        case 2: return encoded->bytes(ids.value);
        case 3: return encoded->bytes(ids.unit);
        default: return {};
        }
    }
    const QString text = itemText(item, number, row);
    const QByteArray bytes = encoded ? encoded->encoder()(text) : text.toUtf8();
    scratch.assign(bytes.constData(), size_t(bytes.size()));
    return scratch;
}

// The encodings of the table's texts hold while only appends change it.
EncodedTexts *ReportContent::encodedTexts(std::optional<EncodedTexts> &encoded, EncodedTexts::Encoder encode) const
{
    if (!table)
        return nullptr;
    if (encodedAtResets != table->resets()) {
        plainTexts.reset();
        csvTexts.reset();
        htmlTexts.reset();
        encodedAtResets = table->resets();
    }
    if (!encoded)
        encoded.emplace(*table, encode);
    return &*encoded;
}

QByteArray ReportContent::textPage(qint64 number) const
{
    constexpr double ColumnsPerMillimetre = TextColumns / ReportLayout::BandWidth;
    EncodedTexts *encoded = encodedTexts(plainTexts, plainBytes);
    struct Placed
    {
        qsizetype column;
        qsizetype offset; // in `texts`
        qsizetype length;
        qsizetype characters;
    };
    // Strings rather than byte arrays: cleared, they keep their memory.
    std::vector<Placed> placedTexts;
    std::string texts, scratch, out;
    out.reserve(size_t(pagination.rowsPerPage() + 4) * (TextColumns + 2));
    for (const ReportPagination::PlacedBand &placed : pagination.page(number)) {
        placedTexts.clear();
        texts.clear();
        for (const ReportItem *item : textItems(*placed.band)) {
            const std::string_view bytes = itemBytes(*item, number, placed.row, encoded, scratch);
            if (bytes.empty())
                continue;
            const qsizetype characters = characterCount(bytes);
            const qsizetype column = item->centred ? std::max<qsizetype>((TextColumns - characters) / 2, 0)
                                                   : qRound(item->left * ColumnsPerMillimetre);
            placedTexts.push_back({column, qsizetype(texts.size()), qsizetype(bytes.size()), characters});
            texts += bytes;
        }
        // By column, items at the same column in band order (std::sort here: a
        // stable sort would take a buffer from the heap for every line).
        const auto byColumn = [](const Placed &a, const Placed &b) {
            return std::pair(a.column, a.offset) < std::pair(b.column, b.offset);
        };
        if (!std::is_sorted(placedTexts.begin(), placedTexts.end(), byColumn))
            std::sort(placedTexts.begin(), placedTexts.end(), byColumn);
        qsizetype lineEnd = 0; // in characters
        for (const Placed &text : placedTexts) {
            // Never over the item before: at least a blank between two.
            const qsizetype at = lineEnd == 0 ? text.column : std::max(text.column, lineEnd + 1);
            out.append(size_t(at - lineEnd), ' ');
            out.append(texts, size_t(text.offset), size_t(text.length));
            lineEnd = at + text.characters;
        }
        out += "\r\n";
    }
    return QByteArray(out.data(), qsizetype(out.size()));
}

QByteArray ReportContent::csvPage(qint64 number) const
{
    EncodedTexts *encoded = encodedTexts(csvTexts, CsvSpreadsheetField);
    std::string scratch, out;
    out.reserve(size_t(pagination.rowsPerPage() + 4) * 32);
    for (const ReportPagination::PlacedBand &placed : pagination.page(number)) {
        const QList<const ReportItem *> &items = textItems(*placed.band);
        if (items.isEmpty())
            continue;
        for (const ReportItem *item : items) {
            if (item != items.front())
                out += ',';
            const std::string_view bytes = itemBytes(*item, number, placed.row, encoded, scratch);
            out += bytes;
        }
        out += "\r\n";
    }
    return QByteArray(out.data(), qsizetype(out.size()));
}

QByteArray ReportContent::htmlStart() const
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + htmlEscaped(reportLayout.title) +
           "</title><style>\n"
           "body{background:#888;margin:0;padding:10mm 0}\n"
           ".page{position:relative;width:210mm;height:297mm;margin:0 auto 10mm;background:#fff;overflow:hidden}\n"
           ".item{position:absolute;white-space:pre;line-height:1.15;margin:0;overflow:hidden}\n"
           "@page{size:A4;margin:0}\n"
           "@media print{body{background:none;padding:0}.page{margin:0;page-break-after:always}"
           ".page:last-child{page-break-after:auto}}\n"
           "</style></head><body>\n";
}

QByteArray ReportContent::htmlEnd()
{
    return "</body></html>\n";
}

QByteArray ReportContent::htmlPage(qint64 number, QByteArrayView pictureSource) const
{
    EncodedTexts *encoded = encodedTexts(htmlTexts, htmlEscaped);
    std::string scratch, out = "<div class=\"page\">\n";
    out.reserve(size_t(pagination.rowsPerPage() + 4) * 4 * 200);
    for (const ReportPagination::PlacedBand &placed : pagination.page(number)) {
        const QList<HtmlParts> &parts = htmlPartsByBand[placed.band - reportLayout.bands.data()];
        for (qsizetype i = 0; i < placed.band->items.size(); ++i) {
            const ReportItem &item = placed.band->items[i];
            const bool picture = item.kind == ReportItem::Kind::Picture;
            const std::string_view text = picture ? std::string_view(pictureSource.data(), size_t(pictureSource.size()))
                                                  : itemBytes(item, number, placed.row, encoded, scratch);
            if (text.empty())
                continue;
            out += parts[i].beforeTop;
            appendMillimetres(out, placed.top + item.top);
            out += parts[i].afterTop;
            out += text;
            out += picture ? "\">\n" : "</p>\n";
        }
    }
    out += "</div>\n";
    return QByteArray(out.data(), qsizetype(out.size()));
}
