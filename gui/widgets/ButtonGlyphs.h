#pragma once

#include <QIcon>

// The small pictures of the record panel's buttons, drawn rather than shipped.
namespace ButtonGlyphs {
QIcon save();
QIcon remove();
QIcon open();
QIcon print();
} // namespace ButtonGlyphs
