#pragma once

#include <QIcon>
#include <QRect>

class QToolButton;
class QWidget;

// The small pictures of the buttons, drawn rather than shipped (and the same
// on every desktop, whatever its icon theme).
namespace ButtonGlyphs {
QIcon save();
QIcon remove();
QIcon open();
QIcon print();
QIcon close();
QIcon ok(); // a tick; remove() stands for Cancel
// The chart's paging and size buttons
QIcon first();
QIcon previous();
QIcon next();
QIcon last();
QIcon enlarge();
QIcon restore();
} // namespace ButtonGlyphs

// A flat button showing a glyph, with its hint, at its place.
QToolButton *pictureButton(QWidget *parent, const QIcon &glyph, const QString &hint, const QRect &geometry);
