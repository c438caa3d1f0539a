#include "designer/label_template_json.h"

#include "common/internet_date_time.h"
#include "common/json.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace quill {

namespace {

const QString kText = QStringLiteral("text");
const QString kImage = QStringLiteral("image");
const QString kQRCode = QStringLiteral("qrCode");

// ----- writing -----

// A pretty-printing JSON writer that keeps keys in the order they are written
// (QJsonObject would sort them).
class PrettyWriter
{
public:
    QByteArray take() { return std::move(m_out); }

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    void key(const char *name)
    {
        nextItem();
        m_out += '"';
        m_out += name;
        m_out += "\": ";
        m_afterKey = true;
    }

    void string(const QString &text)
    {
        value();
        m_out += '"';
        const QByteArray utf8 = text.toUtf8();
        for (const char c : utf8) {
            const auto byte = static_cast<unsigned char>(c);
            switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            case '\b':
                m_out += "\\b";
                break;
            case '\f':
                m_out += "\\f";
                break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                    m_out += escaped;
                } else {
                    m_out += c;
                }
            }
        }
        m_out += '"';
    }

    // Text known to need no escaping (Base64).
    void plainString(const QByteArray &ascii)
    {
        value();
        m_out += '"';
        m_out += ascii;
        m_out += '"';
    }

    // The shortest text that reads back to the same double.
    void number(double number, const QString &path)
    {
        if (!std::isfinite(number))
            throw TemplateEncodeError(
                QStringLiteral("%1: %2 is not a finite number").arg(path, QString::number(number)));
        value();
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, number);
        m_out.append(text, written.ptr - text);
    }

    void integer(qint64 number)
    {
        value();
        m_out += QByteArray::number(number);
    }

    void boolean(bool flag)
    {
        value();
        m_out += flag ? "true" : "false";
    }

private:
    void open(char bracket)
    {
        value();
        m_out += bracket;
        m_empty.append(true);
    }

    void close(char bracket)
    {
        const bool empty = m_empty.takeLast();
        if (!empty)
            newline();
        m_out += bracket;
    }

    // Before a value: a key already placed it, else it is an array item or the document.
    void value()
    {
        if (m_afterKey) {
            m_afterKey = false;
            return;
        }
        if (!m_empty.isEmpty())
            nextItem();
    }

    void nextItem()
    {
        if (!m_empty.last())
            m_out += ',';
        m_empty.last() = false;
        newline();
    }

    void newline()
    {
        m_out += '\n';
        m_out.append(m_empty.size() * 2, ' ');
    }

    QByteArray m_out;
    QList<bool> m_empty; // per open object or array: nothing written in it yet
    bool m_afterKey = false;
};

void writeFrame(PrettyWriter &out, const ElementFrame &frame, const QString &path)
{
    out.beginObject();
    out.key("x");
    out.number(frame.x, path + QStringLiteral(".x"));
    out.key("y");
    out.number(frame.y, path + QStringLiteral(".y"));
    out.key("width");
    out.number(frame.width, path + QStringLiteral(".width"));
    out.key("height");
    out.number(frame.height, path + QStringLiteral(".height"));
    out.endObject();
}

void writeProperties(PrettyWriter &out, const TextProperties &text, const QString &path)
{
    out.key("content");
    out.string(text.content);
    out.key("fontFamily");
    out.string(text.fontFamily);
    out.key("fontSize");
    out.number(text.fontSize, path + QStringLiteral(".fontSize"));
    out.key("fontWeight");
    out.string(rawValue(text.fontWeight));
    out.key("color");
    out.string(text.color);
    out.key("alignment");
    out.string(rawValue(text.alignment));
    out.key("isVariable");
    out.boolean(text.isVariable);
}

void writeProperties(PrettyWriter &out, const ImageProperties &image, const QString &)
{
    if (image.imageData) {
        out.key("imageData");
        out.plainString(image.imageData->toBase64());
    }
    out.key("objectFit");
    out.string(rawValue(image.objectFit));
}

void writeProperties(PrettyWriter &out, const QRCodeProperties &qrCode, const QString &)
{
    out.key("content");
    out.string(qrCode.content);
    out.key("correctionLevel");
    out.string(rawValue(qrCode.correctionLevel));
    out.key("isVariable");
    out.boolean(qrCode.isVariable);
}

const char *caseKey(const ElementKind &kind)
{
    switch (kind.index()) {
    case 0:
        return "text";
    case 1:
        return "image";
    default:
        return "qrCode";
    }
}

void writeElement(PrettyWriter &out, const LabelElement &element, const QString &path)
{
    out.beginObject();
    out.key("id");
    out.string(element.id.toString(QUuid::WithoutBraces).toUpper());
    out.key("kind");
    out.beginObject();
    const char *kindKey = caseKey(element.kind);
    out.key(kindKey);
    out.beginObject();
    out.key("_0");
    out.beginObject();
    const QString propertiesPath = QStringLiteral("%1.kind.%2._0").arg(path, QLatin1String(kindKey));
    std::visit([&](const auto &properties) { writeProperties(out, properties, propertiesPath); },
               element.kind);
    out.endObject();
    out.endObject();
    out.endObject();
    out.key("frame");
    writeFrame(out, element.frame, path + QStringLiteral(".frame"));
    out.key("rotation");
    out.number(element.rotation, path + QStringLiteral(".rotation"));
    out.key("isLocked");
    out.boolean(element.isLocked);
    out.key("zIndex");
    out.integer(element.zIndex);
    out.endObject();
}

// ----- reading -----

QString shown(const QString &text)
{
    constexpr qsizetype kShown = 40;
    return text.size() > kShown ? text.left(kShown) + QStringLiteral("...") : text;
}

QUuid readUuid(const json::ObjectReader &reader, const QString &key)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    const QString text = reader.requiredString(key);
    if (!form.match(text).hasMatch())
        reader.fail(key, QStringLiteral("expected a UUID, found \"%1\"").arg(shown(text)));
    return QUuid::fromString(text);
}

QDateTime readDate(const json::ObjectReader &reader, const QString &key)
{
    const QString text = reader.requiredString(key);
    const auto moment = parseInternetDateTime(text, FractionalSeconds::forbidden);
    if (!moment)
        reader.fail(key, QStringLiteral("expected an internet date-time with whole seconds, found \"%1\"")
                             .arg(shown(text)));
    return *moment;
}

// Standard Base64, padded, without line breaks or anything else.
QByteArray readBase64(const json::ObjectReader &reader, const QString &key)
{
    const QByteArray text = reader.requiredString(key).toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.toBase64() != text)
        reader.fail(key, QStringLiteral("expected padded standard Base64"));
    return decoded.decoded;
}

template <typename E>
E readEnum(const json::ObjectReader &reader, const QString &key, std::optional<E> (*fromRaw)(const QString &))
{
    return reader.requiredEnum<E>(key, fromRaw);
}

TextProperties readText(const json::ObjectReader &reader)
{
    TextProperties text;
    text.content = reader.requiredString(QStringLiteral("content"));
    text.fontFamily = reader.requiredString(QStringLiteral("fontFamily"));
    text.fontSize = reader.requiredDouble(QStringLiteral("fontSize"));
    text.fontWeight = readEnum(reader, QStringLiteral("fontWeight"), &fontWeightFromRaw);
    text.color = reader.requiredString(QStringLiteral("color"));
    text.alignment = readEnum(reader, QStringLiteral("alignment"), &textAlignmentFromRaw);
    text.isVariable = reader.requiredBool(QStringLiteral("isVariable"));
    return text;
}

ImageProperties readImage(const json::ObjectReader &reader)
{
    ImageProperties image;
    if (reader.has(QStringLiteral("imageData")))
        image.imageData = readBase64(reader, QStringLiteral("imageData"));
    image.objectFit = readEnum(reader, QStringLiteral("objectFit"), &objectFitFromRaw);
    return image;
}

QRCodeProperties readQRCode(const json::ObjectReader &reader)
{
    QRCodeProperties qrCode;
    qrCode.content = reader.requiredString(QStringLiteral("content"));
    qrCode.correctionLevel = readEnum(reader, QStringLiteral("correctionLevel"), &correctionLevelFromRaw);
    qrCode.isVariable = reader.requiredBool(QStringLiteral("isVariable"));
    return qrCode;
}

ElementKind readKind(const QJsonObject &object, const QString &path)
{
    QStringList found;
    for (const QString &key : {kText, kImage, kQRCode}) {
        if (object.contains(key))
            found.append(key);
    }
    if (found.size() != 1)
        throw json::DecodeError(QStringLiteral("%1: Invalid number of keys found, expected one.").arg(path));
    const QString &key = found.first();
    const json::ObjectReader wrapper(json::ObjectReader(object, path).requiredObject(key),
                                     path + QLatin1Char('.') + key);
    const json::ObjectReader properties(wrapper.requiredObject(QStringLiteral("_0")),
                                        path + QLatin1Char('.') + key + QStringLiteral("._0"));
    if (key == kText)
        return readText(properties);
    if (key == kImage)
        return readImage(properties);
    return readQRCode(properties);
}

ElementFrame readFrame(const json::ObjectReader &reader)
{
    return ElementFrame{
        reader.requiredDouble(QStringLiteral("x")), reader.requiredDouble(QStringLiteral("y")),
        reader.requiredDouble(QStringLiteral("width")), reader.requiredDouble(QStringLiteral("height"))};
}

LabelElement readElement(const QJsonObject &object, const QString &path)
{
    const json::ObjectReader reader(object, path);
    LabelElement element;
    element.id = readUuid(reader, QStringLiteral("id"));
    element.kind = readKind(reader.requiredObject(QStringLiteral("kind")), path + QStringLiteral(".kind"));
    element.frame = readFrame(
        json::ObjectReader(reader.requiredObject(QStringLiteral("frame")), path + QStringLiteral(".frame")));
    element.rotation = reader.requiredDouble(QStringLiteral("rotation"));
    element.isLocked = reader.requiredBool(QStringLiteral("isLocked"));
    element.zIndex = reader.requiredInteger(QStringLiteral("zIndex"));
    return element;
}

std::optional<QString> outside(double value, double maximum, const QString &path, const QString &unit)
{
    if (std::isfinite(value) && value > 0 && value <= maximum)
        return std::nullopt;
    return QStringLiteral("%1: %2 is not above 0 and at most %3 %4")
        .arg(path, QString::number(value, 'g', QLocale::FloatingPointShortest), QString::number(maximum),
             unit);
}

} // namespace

QString templateFileTooLarge(qint64 bytes)
{
    return QStringLiteral("The template would take %1 MB; a template file may hold at most %2 MB.")
        .arg(QString::number(double(bytes) / (1024 * 1024), 'f', 1))
        .arg(templateLimits::maxFileBytes >> 20);
}

std::optional<QString> templateLimitViolation(const LabelTemplate &labelTemplate)
{
    const QString inches = QStringLiteral("inches");
    if (auto why = outside(labelTemplate.labelSize.widthInches, templateLimits::maxLabelSideInches,
                           QStringLiteral("labelSize.widthInches"), inches))
        return why;
    if (auto why = outside(labelTemplate.labelSize.heightInches, templateLimits::maxLabelSideInches,
                           QStringLiteral("labelSize.heightInches"), inches))
        return why;
    for (qsizetype i = 0; i < labelTemplate.elements.size(); ++i) {
        const auto *text = std::get_if<TextProperties>(&labelTemplate.elements.at(i).kind);
        if (!text)
            continue;
        if (auto why = outside(text->fontSize, templateLimits::maxFontSize,
                               QStringLiteral("elements[%1].kind.text._0.fontSize").arg(i),
                               QStringLiteral("points")))
            return why;
    }
    return std::nullopt;
}

QByteArray encodeLabelTemplate(const LabelTemplate &labelTemplate)
{
    if (auto why = templateLimitViolation(labelTemplate))
        throw TemplateEncodeError(*why);
    if (!labelTemplate.createdAt.isValid() || !labelTemplate.updatedAt.isValid())
        throw TemplateEncodeError(QStringLiteral("createdAt or updatedAt is not a valid date"));

    PrettyWriter out;
    out.beginObject();
    out.key("id");
    out.string(labelTemplate.id.toString(QUuid::WithoutBraces).toUpper());
    out.key("name");
    out.string(labelTemplate.name);
    out.key("labelSize");
    out.beginObject();
    out.key("widthInches");
    out.number(labelTemplate.labelSize.widthInches, QStringLiteral("labelSize.widthInches"));
    out.key("heightInches");
    out.number(labelTemplate.labelSize.heightInches, QStringLiteral("labelSize.heightInches"));
    out.endObject();
    out.key("labelShape");
    out.string(rawValue(labelTemplate.labelShape));
    out.key("elements");
    out.beginArray();
    for (qsizetype i = 0; i < labelTemplate.elements.size(); ++i)
        writeElement(out, labelTemplate.elements.at(i), QStringLiteral("elements[%1]").arg(i));
    out.endArray();
    out.key("gridSpacing");
    out.number(labelTemplate.gridSpacing, QStringLiteral("gridSpacing"));
    out.key("createdAt");
    out.string(formatInternetDateTime(labelTemplate.createdAt));
    out.key("updatedAt");
    out.string(formatInternetDateTime(labelTemplate.updatedAt));
    out.endObject();
    QByteArray bytes = out.take();
    bytes += '\n';
    return bytes;
}

LabelTemplate decodeLabelTemplate(const QByteArray &bytes, QStringList *adjustments)
{
    const json::ObjectReader reader(json::parseObject(bytes, QStringLiteral("The template file")));
    LabelTemplate labelTemplate;
    labelTemplate.id = readUuid(reader, QStringLiteral("id"));
    labelTemplate.name = reader.requiredString(QStringLiteral("name"));
    const json::ObjectReader size(reader.requiredObject(QStringLiteral("labelSize")),
                                  QStringLiteral("labelSize"));
    labelTemplate.labelSize = LabelSize{size.requiredDouble(QStringLiteral("widthInches")),
                                        size.requiredDouble(QStringLiteral("heightInches"))};
    labelTemplate.labelShape = readEnum(reader, QStringLiteral("labelShape"), &labelShapeFromRaw);
    const QJsonArray elements = reader.requiredArray(QStringLiteral("elements"));
    labelTemplate.elements.reserve(elements.size());
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const QString path = QStringLiteral("elements[%1]").arg(i);
        if (!elements.at(i).isObject())
            throw json::DecodeError(path + QStringLiteral(": expected an object"));
        labelTemplate.elements.append(readElement(elements.at(i).toObject(), path));
    }
    // Elements are found by id: a repeated id would make one delete take both and a drag
    // of the second move the first. The file keeps its ids until the next save.
    QSet<QUuid> ids;
    for (qsizetype i = 0; i < labelTemplate.elements.size(); ++i) {
        LabelElement &element = labelTemplate.elements[i];
        if (!ids.contains(element.id)) {
            ids.insert(element.id);
            continue;
        }
        const QUuid fresh = QUuid::createUuid();
        if (adjustments)
            adjustments->append(QStringLiteral("elements[%1].id %2 repeats an earlier element's; given %3")
                                    .arg(i)
                                    .arg(element.id.toString(QUuid::WithoutBraces).toUpper(),
                                         fresh.toString(QUuid::WithoutBraces).toUpper()));
        element.id = fresh;
        ids.insert(fresh);
    }
    labelTemplate.gridSpacing = reader.requiredDouble(QStringLiteral("gridSpacing"));
    labelTemplate.createdAt = readDate(reader, QStringLiteral("createdAt"));
    labelTemplate.updatedAt = readDate(reader, QStringLiteral("updatedAt"));

    if (auto why = templateLimitViolation(labelTemplate))
        throw json::DecodeError(*why);
    if (labelTemplate.gridSpacing < templateLimits::minGridSpacing) {
        if (adjustments)
            adjustments->append(
                QStringLiteral("gridSpacing %1 raised to %2 points")
                    .arg(QString::number(labelTemplate.gridSpacing, 'g', QLocale::FloatingPointShortest))
                    .arg(templateLimits::minGridSpacing));
        labelTemplate.gridSpacing = templateLimits::minGridSpacing;
    }
    return labelTemplate;
}

} // namespace quill
