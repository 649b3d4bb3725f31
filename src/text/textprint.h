#pragma once
// A fingerprint of a text: enough to tell whether a text is back to an earlier one without
// keeping a second copy of a large page.

#include <QByteArray>
#include <QStringView>

namespace quenbry {

// The text's length and two hashes of its characters under different seeds.
QByteArray textPrint(QStringView text);

} // namespace quenbry
