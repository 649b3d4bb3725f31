#pragma once
// A JSON value whose object members keep the order they were added in: the replay driver's
// output is read by people and compared as text, so key order is part of the format.

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace quenbry {

class Json {
public:
    enum Type { Null, Bool, Number, String, Array, Object };

    Json() = default;
    Json(bool b)
        : type_(Bool)
        , bool_(b) {}
    Json(int n)
        : type_(Number)
        , number_(n) {}
    Json(long long n)
        : type_(Number)
        , number_(n) {}
    Json(const QString &s)
        : type_(String)
        , string_(s) {}
    Json(const char *s)
        : type_(String)
        , string_(QString::fromUtf8(s)) {}
    Json(const QStringList &list);

    static Json object() { return Json(Object); }
    static Json array() { return Json(Array); }

    Type type() const { return type_; }
    // Adds (or replaces) a member of an object, keeping the first position of the key.
    Json &set(const QString &key, Json value);
    Json &append(Json value);

    QString serialize() const;

private:
    explicit Json(Type t)
        : type_(t) {}
    void write(QString &out) const;

    Type type_ = Null;
    bool bool_ = false;
    long long number_ = 0;
    QString string_;
    std::vector<Json> items_;
    std::vector<std::pair<QString, Json>> members_;
};

} // namespace quenbry
