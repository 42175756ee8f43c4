#pragma once

#include "core/recording/EncodedTexts.h"
#include "core/reports/ReportPagination.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

// The files a report is exported to, by the name's extension: .pdf, .html (or
// .htm), .txt, .csv; nothing for any other.
enum class ReportFileFormat { Pdf, Html, Text, Csv };
std::optional<ReportFileFormat> ReportFileFormatOf(const QString &fileName);

// A report as it will print: its layout, its pages, and the text every item
// shows — the table's fields, the print date, the page number and the page
// count label. Painting it is the renderer's; the plain text, CSV and HTML
// exports are made from it here.
class ReportContent
{
public:
    // `table` may be null for a report bound to no table.
    ReportContent(ReportLayout layout, const ReadingTable *table, QString date, qint32 pageCountLabel);
    ReportContent(const ReportContent &) = delete;
    ReportContent &operator=(const ReportContent &) = delete;

    const ReportLayout &layout() const { return reportLayout; }
    const ReportPagination &pages() const { return pagination; }
    qint64 pageCount() const { return pagination.pageCount(); }

    // The text an item shows on page `number`, in the band placed for `row`;
    // empty for a NULL field and for a picture.
    QString itemText(const ReportItem &item, qint64 number, qint64 row) const;

    // Page `number` as plain text: a line per band, each item at the column
    // its position gives (a hundred columns across the band), centred items
    // centred. Lines end in CR LF.
    QByteArray textPage(qint64 number) const;
    // Page `number` as CSV: a line per band holding text, its items left to
    // right, separated by commas and quoted as RFC 4180 wants. Lines end in CR LF.
    QByteArray csvPage(qint64 number) const;

    // The report as one self-contained HTML document: htmlStart(), then each
    // page in order — an A4 sheet holding every item at its place in its font
    // and colour — then htmlEnd(). `pictureSource` is the picture's URL (a
    // data: URL embeds it); empty, the picture box shows nothing.
    QByteArray htmlStart() const;
    QByteArray htmlPage(qint64 number, QByteArrayView pictureSource) const;
    static QByteArray htmlEnd();

    static constexpr int TextColumns = 100;

    // An item's HTML element but for its top and its text.
    struct HtmlParts
    {
        std::string beforeTop;
        std::string afterTop;
    };

private:
    const QList<const ReportItem *> &textItems(const ReportBand &band) const;
    std::string_view itemBytes(const ReportItem &item, qint64 number, qint64 row, EncodedTexts *encoded,
                               std::string &scratch) const;
    EncodedTexts *encodedTexts(std::optional<EncodedTexts> &encoded, EncodedTexts::Encoder encode) const;

    ReportLayout reportLayout;
    ReportPagination pagination; // refers to reportLayout
    const ReadingTable *table;
    QString date;
    qint32 pageCountLabel;
    QList<QList<const ReportItem *>> itemsByBand; // each band's text items, left to right
    QList<QList<HtmlParts>> htmlPartsByBand;      // by band, then item
    // The table's texts as the text and CSV pages write them, each encoded once
    // (the exports run on one thread).
    mutable std::optional<EncodedTexts> plainTexts, csvTexts, htmlTexts;
    mutable quint64 encodedAtResets = 0;
};
