#pragma once

#include <QIcon>
#include <QRect>

class QToolButton;
class QWidget;

// The small pictures of the record panel's buttons, drawn rather than shipped.
namespace ButtonGlyphs {
QIcon save();
QIcon remove();
QIcon open();
QIcon print();
QIcon close();
} // namespace ButtonGlyphs

// A flat button showing a glyph, with its hint, at its place.
QToolButton *pictureButton(QWidget *parent, const QIcon &glyph, const QString &hint, const QRect &geometry);
