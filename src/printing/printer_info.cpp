#include "printing/printer_info.h"

#include <QRegularExpression>

namespace quill {

PrinterInfo PrinterInfo::make(const printkit::PrinterDescriptor &printer,
                              const printkit::CUPSQueueStatus &status)
{
    PrinterInfo info;
    info.name = printer.id.rawValue;
    info.driver = QStringLiteral("CUPS");
    info.hint = QString();
    info.connection = QStringLiteral("system");
    info.isDefault = printer.isDefault;
    info.isOnline = status.state() != printkit::CUPSQueueState::stopped;
    info.queueState = status.state();
    info.pendingJobCount = status.pendingJobCount();
    return info;
}

QString printerDisplayName(const QString &queue)
{
    static const QRegularExpression serial(QStringLiteral("\\s+[A-F0-9]{4,}\\s*\\d*$"));
    QString name = queue;
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    const QRegularExpressionMatch match = serial.match(name);
    if (match.hasMatch())
        name.truncate(match.capturedStart());
    qsizetype start = 0;
    qsizetype end = name.size();
    const auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (start < end && isBlank(name.at(start)))
        ++start;
    while (end > start && isBlank(name.at(end - 1)))
        --end;
    if (start == end)
        return queue;
    return name.mid(start, end - start);
}

} // namespace quill
