#pragma once
// The product picture behind the splash window and the About box, drawn in code.

#include <QImage>

namespace quenbry {

// 464x279: the product name and edition on a calm gradient, all on the left half, so that
// the splash's labels (lower right) and the About box's texts and buttons (right) stand on
// plain gradient.
QImage splashPicture();

} // namespace quenbry
