#pragma once

#include "designer/label_template.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <limits>

namespace quill::testing {

inline QDateTime utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

inline LabelElement textElement(double x = 40.5, double y = 22.5, qint64 zIndex = 0)
{
    return LabelElement{QUuid::createUuid(),
                        TextProperties{QStringLiteral("Text"), QStringLiteral("Arial"), 14,
                                       FontWeightValue::regular, QStringLiteral("#000000"),
                                       TextAlignmentValue::leading, false},
                        ElementFrame{x, y, 100, 24},
                        0,
                        false,
                        zIndex};
}

// A template freshly made by the list panel, named and sized as given.
inline LabelTemplate blankTemplate(const QString &name = QStringLiteral("Untitled"),
                                   QDateTime updatedAt = utc(2026, 1, 15, 9, 31, 12))
{
    LabelTemplate t;
    t.id = QUuid::createUuid();
    t.name = name;
    t.labelSize = LabelSize{2.25, 1.25};
    t.labelShape = LabelShape::rectangle;
    t.gridSpacing = 8;
    t.createdAt = utc(2026, 1, 15, 9, 30, 0);
    t.updatedAt = std::move(updatedAt);
    return t;
}

// One element of each kind; the image bytes hold zeros and every byte value.
inline LabelTemplate fullTemplate()
{
    LabelTemplate t = blankTemplate(QStringLiteral("Shelf \"tag\" \\ Ω 🏷\n\t\x01"));
    t.labelShape = LabelShape::roundedRectangle;
    LabelElement text = textElement(0.1, 1e-7, 3);
    auto &textProperties = std::get<TextProperties>(text.kind);
    textProperties.content = QStringLiteral("{{price}} – ✓ 𝄞 \"q\" \\ \r\n");
    textProperties.fontWeight = FontWeightValue::semibold;
    textProperties.alignment = TextAlignmentValue::trailing;
    textProperties.isVariable = true;
    text.rotation = -0.3;
    text.isLocked = true;
    QByteArray bytes(3, '\0');
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    const LabelElement image{QUuid::createUuid(),
                             ImageProperties{bytes, ObjectFitValue::cover},
                             ElementFrame{10, 20, 60, 60},
                             90,
                             false,
                             -5};
    const LabelElement qr{QUuid::createUuid(),
                          QRCodeProperties{QStringLiteral("https://example.com/{{auctionNumber}}"),
                                           QRCorrectionLevel::high, true},
                          ElementFrame{1.0 / 3.0, 2e10, 60, 60},
                          0,
                          false,
                          std::numeric_limits<qint64>::max()};
    t.elements = {text, image, qr};
    t.gridSpacing = 2.5;
    return t;
}

// The object at a dotted path ("elements.0.kind") edited in place through `edit`.
template <typename Edit> void editAt(QJsonObject &root, const QStringList &path, Edit edit);

inline QJsonValue editValue(QJsonValue value, QStringList path, const auto &edit)
{
    if (path.isEmpty()) {
        QJsonObject object = value.toObject();
        edit(object);
        return object;
    }
    const QString head = path.takeFirst();
    if (value.isArray()) {
        QJsonArray array = value.toArray();
        const int index = head.toInt();
        array[index] = editValue(array.at(index), path, edit);
        return array;
    }
    QJsonObject object = value.toObject();
    object[head] = editValue(object.value(head), path, edit);
    return object;
}

template <typename Edit> void editAt(QJsonObject &root, const QStringList &path, Edit edit)
{
    root = editValue(root, path, edit).toObject();
}

} // namespace quill::testing
