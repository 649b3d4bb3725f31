#include "textprint.h"
#include <QHashFunctions>

namespace quenbry {

QByteArray textPrint(QStringView text) {
    const size_t bytes = size_t(text.size()) * sizeof(QChar);
    const size_t print[] = {size_t(text.size()), qHashBits(text.data(), bytes, 0x5157),
                            qHashBits(text.data(), bytes, 0x9e3779b9)};
    return QByteArray(reinterpret_cast<const char *>(print), sizeof print);
}

} // namespace quenbry
