#pragma once

#include <QPixmap>

// The small pictures of the LCD and the dial, drawn rather than shipped, all
// 32 x 32 with a transparent background.
namespace Pictures {
QPixmap battery();             // black outline, two terminals, minus and plus
QPixmap connection(bool live); // two computers on a cable: cyan screens, or grey
} // namespace Pictures
