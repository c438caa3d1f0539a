#pragma once

#include "printkit/domain/label_preset.h"
#include "printkit/domain/print_job_request.h"
#include "printkit/domain/printer_descriptor.h"

#include <QJsonObject>
#include <QJsonValue>

// The toolkit's JSON interchange form: keys are the field names, optional fields are
// left out when absent, everything else is required (quill::json::DecodeError otherwise).
namespace printkit::coding {

QJsonObject toJson(const LabelCanvas &canvas);
QJsonObject toJson(const LabelCalibration &calibration);
QJsonObject toJson(const LabelContent &content);
QJsonObject toJson(const LabelPreset &preset);
QJsonObject toJson(const CUPSOption &option);
QJsonObject toJson(const CUPSPrintConfiguration &configuration);
QJsonObject toJson(const PrintJobRequest &request);
QJsonObject toJson(const PrinterDescriptor &descriptor);
QJsonValue toJson(const PrinterID &id); // a bare string

LabelCanvas labelCanvasFromJson(const QJsonObject &object);
LabelCalibration labelCalibrationFromJson(const QJsonObject &object);
LabelContent labelContentFromJson(const QJsonObject &object);
LabelPreset labelPresetFromJson(const QJsonObject &object);
CUPSOption cupsOptionFromJson(const QJsonObject &object);
CUPSPrintConfiguration cupsPrintConfigurationFromJson(const QJsonObject &object);
PrintJobRequest printJobRequestFromJson(const QJsonObject &object);
PrinterDescriptor printerDescriptorFromJson(const QJsonObject &object);
PrinterID printerIDFromJson(const QJsonValue &value);

} // namespace printkit::coding
