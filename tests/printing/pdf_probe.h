#pragma once

// What poppler's command-line tools read from a PDF: its page count, the size of
// its first page and a bitmap of that page.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QTemporaryDir>

namespace quill::testing {

struct PdfFacts
{
    int pages = 0;
    QSizeF pageSize; // points
};

inline QString writeTemporaryPdf(const QTemporaryDir &dir, const QByteArray &pdf)
{
    const QString path = dir.filePath(QStringLiteral("label.pdf"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(pdf);
    return path;
}

inline PdfFacts pdfFacts(const QByteArray &pdf)
{
    QTemporaryDir dir;
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {writeTemporaryPdf(dir, pdf)});
    info.waitForFinished(20000);
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    PdfFacts facts;
    const auto pages = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
                           .match(out);
    if (pages.hasMatch())
        facts.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                                         QRegularExpression::MultilineOption)
                          .match(out);
    if (size.hasMatch())
        facts.pageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    return facts;
}

// The first page at `dpi` dots per inch; null when it cannot be drawn.
inline QImage pdfFirstPage(const QByteArray &pdf, int dpi = 36)
{
    QTemporaryDir dir;
    const QString input = writeTemporaryPdf(dir, pdf);
    const QString stem = dir.filePath(QStringLiteral("page"));
    QProcess draw;
    draw.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                            QStringLiteral("1"), QStringLiteral("-singlefile"),
                                            QStringLiteral("-png"), input, stem});
    draw.waitForFinished(20000);
    return QImage(stem + QStringLiteral(".png"));
}

} // namespace quill::testing
