#include "json.h"

namespace quenbry {

Json::Json(const QStringList &list)
    : type_(Array) {
    for (const QString &s : list)
        items_.emplace_back(s);
}

Json &Json::set(const QString &key, Json value) {
    for (auto &m : members_) {
        if (m.first == key) {
            m.second = std::move(value);
            return *this;
        }
    }
    members_.emplace_back(key, std::move(value));
    return *this;
}

Json &Json::append(Json value) {
    items_.push_back(std::move(value));
    return *this;
}

QString Json::serialize() const {
    QString out;
    write(out);
    return out;
}

static void writeString(QString &out, const QString &s) {
    out += u'"';
    for (QChar c : s) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSurrogate())
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
}

void Json::write(QString &out) const {
    switch (type_) {
    case Null:
        out += QLatin1String("null");
        break;
    case Bool:
        out += bool_ ? QLatin1String("true") : QLatin1String("false");
        break;
    case Number:
        out += QString::number(number_);
        break;
    case String:
        writeString(out, string_);
        break;
    case Array:
        out += u'[';
        for (size_t i = 0; i < items_.size(); ++i) {
            if (i)
                out += QLatin1String(", ");
            items_[i].write(out);
        }
        out += u']';
        break;
    case Object:
        out += u'{';
        for (size_t i = 0; i < members_.size(); ++i) {
            if (i)
                out += QLatin1String(", ");
            writeString(out, members_[i].first);
            out += QLatin1String(": ");
            members_[i].second.write(out);
        }
        out += u'}';
        break;
    }
}

} // namespace quenbry
