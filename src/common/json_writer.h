#pragma once

// The writing side of ObjectReader: builds one JSON object key by key, so that a
// record's toJson() reads as its list of fields.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>
#include <type_traits>
#include <utility>

namespace quill::json {

// A field as JSON: a nested record through its own toJson(), a list as an array, a
// map from text as an object, anything else as the QJsonValue it converts to
// (integers stay exact over the whole 64-bit range).
template <typename T> QJsonValue toJsonValue(const T &value)
{
    if constexpr (requires { value.toJson(); }) {
        return value.toJson();
    } else if constexpr (requires {
                             value.keys();
                             value.cbegin().key();
                         }) {
        QJsonObject out;
        for (auto it = value.cbegin(); it != value.cend(); ++it)
            out.insert(it.key(), toJsonValue(it.value()));
        return out;
    } else if constexpr (requires {
                             value.cbegin();
                             value.size();
                         } &&
                         !std::is_convertible_v<T, QString>) {
        QJsonArray out;
        for (const auto &element : value)
            out.append(toJsonValue(element));
        return out;
    } else {
        return QJsonValue(value);
    }
}

class ObjectWriter
{
public:
    template <typename T> ObjectWriter &put(const QString &key, const T &value)
    {
        m_object.insert(key, toJsonValue(value));
        return *this;
    }

    // An absent optional leaves its key out; it is never written as null.
    template <typename T> ObjectWriter &put(const QString &key, const std::optional<T> &value)
    {
        if (value)
            put(key, *value);
        return *this;
    }

    QJsonObject take() { return std::exchange(m_object, {}); }

private:
    QJsonObject m_object;
};

} // namespace quill::json
