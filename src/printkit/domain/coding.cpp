#include "printkit/domain/coding.h"

#include "common/json.h"

#include <QJsonArray>

namespace printkit::coding {

using quill::json::DecodeError;
using quill::json::ObjectReader;

QJsonObject toJson(const LabelCanvas &canvas)
{
    QJsonObject o{{QStringLiteral("name"), canvas.name},
                  {QStringLiteral("widthInches"), canvas.widthInches},
                  {QStringLiteral("heightInches"), canvas.heightInches},
                  {QStringLiteral("shape"), rawValue(canvas.shape)}};
    if (canvas.printerDPI)
        o.insert(QStringLiteral("printerDPI"), *canvas.printerDPI);
    return o;
}

QJsonObject toJson(const LabelCalibration &c)
{
    return {{QStringLiteral("startPositionMillimeters"), c.startPositionMillimeters},
            {QStringLiteral("stopOffsetMillimeters"), c.stopOffsetMillimeters},
            {QStringLiteral("rotationDegrees"), c.rotationDegrees},
            {QStringLiteral("postPrintAction"), rawValue(c.postPrintAction)}};
}

QJsonObject toJson(const LabelContent &c)
{
    return {{QStringLiteral("brand"), c.brand},
            {QStringLiteral("headline"), c.headline},
            {QStringLiteral("detail"), c.detail},
            {QStringLiteral("qrPayload"), c.qrPayload},
            {QStringLiteral("footer"), c.footer}};
}

QJsonObject toJson(const LabelPreset &p)
{
    return {{QStringLiteral("id"), p.id},
            {QStringLiteral("title"), p.title},
            {QStringLiteral("subtitle"), p.subtitle},
            {QStringLiteral("canvas"), toJson(p.canvas)},
            {QStringLiteral("recommendedCalibration"), toJson(p.recommendedCalibration)}};
}

QJsonObject toJson(const CUPSOption &option)
{
    return {{QStringLiteral("name"), option.name}, {QStringLiteral("value"), option.value}};
}

QJsonObject toJson(const CUPSPrintConfiguration &c)
{
    QJsonArray options;
    for (const CUPSOption &option : c.options)
        options.append(toJson(option));
    QJsonObject o{{QStringLiteral("usesCanvasPageSize"), c.usesCanvasPageSize}, {QStringLiteral("options"), options}};
    if (c.queueName)
        o.insert(QStringLiteral("queueName"), *c.queueName);
    return o;
}

QJsonValue toJson(const PrinterID &id)
{
    return id.rawValue;
}

QJsonObject toJson(const PrintJobRequest &r)
{
    QJsonObject o{{QStringLiteral("printerID"), toJson(r.printerID)},
                  {QStringLiteral("canvas"), toJson(r.canvas)},
                  {QStringLiteral("calibration"), toJson(r.calibration)},
                  {QStringLiteral("content"), toJson(r.content)},
                  {QStringLiteral("copies"), r.copies},
                  {QStringLiteral("transportStrategy"), rawValue(r.transportStrategy)}};
    if (r.cupsConfiguration)
        o.insert(QStringLiteral("cupsConfiguration"), toJson(*r.cupsConfiguration));
    return o;
}

QJsonObject toJson(const PrinterDescriptor &d)
{
    return {{QStringLiteral("id"), toJson(d.id)},
            {QStringLiteral("name"), d.name},
            {QStringLiteral("isDefault"), d.isDefault}};
}

LabelCanvas labelCanvasFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("LabelCanvas"));
    return LabelCanvas{r.requiredString(QStringLiteral("name")), r.requiredDouble(QStringLiteral("widthInches")),
                       r.requiredDouble(QStringLiteral("heightInches")),
                       r.requiredEnum<LabelShape>(QStringLiteral("shape"), labelShapeFromRaw),
                       r.optionalInteger(QStringLiteral("printerDPI"))};
}

LabelCalibration labelCalibrationFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("LabelCalibration"));
    return LabelCalibration{r.requiredInteger(QStringLiteral("startPositionMillimeters")),
                            r.requiredInteger(QStringLiteral("stopOffsetMillimeters")),
                            r.requiredInteger(QStringLiteral("rotationDegrees")),
                            r.requiredEnum<PostPrintAction>(QStringLiteral("postPrintAction"),
                                                            postPrintActionFromRaw)};
}

LabelContent labelContentFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("LabelContent"));
    return LabelContent{r.requiredString(QStringLiteral("brand")), r.requiredString(QStringLiteral("headline")),
                        r.requiredString(QStringLiteral("detail")), r.requiredString(QStringLiteral("qrPayload")),
                        r.requiredString(QStringLiteral("footer"))};
}

LabelPreset labelPresetFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("LabelPreset"));
    return LabelPreset{r.requiredString(QStringLiteral("id")), r.requiredString(QStringLiteral("title")),
                       r.requiredString(QStringLiteral("subtitle")),
                       labelCanvasFromJson(r.requiredObject(QStringLiteral("canvas"))),
                       labelCalibrationFromJson(r.requiredObject(QStringLiteral("recommendedCalibration")))};
}

CUPSOption cupsOptionFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("CUPSOption"));
    return CUPSOption{r.requiredString(QStringLiteral("name")), r.requiredString(QStringLiteral("value"))};
}

CUPSPrintConfiguration cupsPrintConfigurationFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("CUPSPrintConfiguration"));
    CUPSPrintConfiguration c;
    c.queueName = r.optionalString(QStringLiteral("queueName"));
    c.usesCanvasPageSize = r.requiredBool(QStringLiteral("usesCanvasPageSize"));
    c.options = quill::json::decodeList<CUPSOption>(r.requiredArray(QStringLiteral("options")), cupsOptionFromJson,
                                                    QStringLiteral("CUPSPrintConfiguration.options"));
    return c;
}

PrinterID printerIDFromJson(const QJsonValue &value)
{
    if (!value.isString())
        throw DecodeError(QStringLiteral("PrinterID: expected a string"));
    return PrinterID(value.toString());
}

PrintJobRequest printJobRequestFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("PrintJobRequest"));
    if (!r.has(QStringLiteral("printerID")))
        r.fail(QStringLiteral("printerID"), QStringLiteral("required key is missing"));
    PrintJobRequest request;
    request.printerID = printerIDFromJson(object.value(QStringLiteral("printerID")));
    request.canvas = labelCanvasFromJson(r.requiredObject(QStringLiteral("canvas")));
    request.calibration = labelCalibrationFromJson(r.requiredObject(QStringLiteral("calibration")));
    request.content = labelContentFromJson(r.requiredObject(QStringLiteral("content")));
    request.copies = r.requiredInteger(QStringLiteral("copies")); // decoded as given, not clamped
    request.transportStrategy = r.requiredEnum<PrintTransportStrategy>(QStringLiteral("transportStrategy"),
                                                                       printTransportStrategyFromRaw);
    if (auto config = r.optionalObject(QStringLiteral("cupsConfiguration")))
        request.cupsConfiguration = cupsPrintConfigurationFromJson(*config);
    return request;
}

PrinterDescriptor printerDescriptorFromJson(const QJsonObject &object)
{
    const ObjectReader r(object, QStringLiteral("PrinterDescriptor"));
    if (!r.has(QStringLiteral("id")))
        r.fail(QStringLiteral("id"), QStringLiteral("required key is missing"));
    return PrinterDescriptor{printerIDFromJson(object.value(QStringLiteral("id"))),
                             r.requiredString(QStringLiteral("name")), r.requiredBool(QStringLiteral("isDefault"))};
}

} // namespace printkit::coding
