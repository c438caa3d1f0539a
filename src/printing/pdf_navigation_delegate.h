#pragma once

#include "common/error.h"

#include <QByteArray>
#include <QObject>
#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QWebEnginePage;

namespace quill {

// An HTML label that could not be turned into a PDF.
class PdfGenerationError : public Error
{
public:
    using Error::Error;
};

// Turns one HTML document into a one-page PDF of the label's size in an off-screen
// page of its own. Scripts do not run and nothing is fetched from outside the
// document: a label is printed as it was written. The outcome is reported exactly
// once, through completed(); whatever the page does afterwards is ignored.
class PDFNavigationDelegate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PDFNavigationDelegate)

public:
    // `labelSize` in points.
    explicit PDFNavigationDelegate(QSizeF labelSize, QObject *parent = nullptr);
    ~PDFNavigationDelegate() override;

    // Loads the document (no base address). May complete before it returns.
    void start(const QString &html);
    // Ends the conversion with this failure unless it has ended already.
    void fail(const QString &message);

    bool hasCompleted() const { return m_hasCompleted; }
    const QByteArray &pdf() const { return m_pdf; }
    const std::optional<QString> &error() const { return m_error; }
    QSizeF labelSize() const { return m_labelSize; }

    // A zero-margin page of exactly `labelSize` points.
    static QPageLayout pageLayout(QSizeF labelSize);

    // The off-the-record profile every conversion loads its page in, with the filter
    // that lets nothing outside the document through. Printing still fetches after a
    // page has handed over its PDF (a video's poster, for one), so the filter belongs
    // to the profile, not the page, and the profile lives while anyone holds it: each
    // conversion does, and so does whoever converts labels for as long as it runs.
    class Profile;
    static std::shared_ptr<Profile> sharedProfile();

Q_SIGNALS:
    void completed();

private:
    void onLoadFinished(bool ok);
    void complete(QByteArray pdf, std::optional<QString> error);

    QSizeF m_labelSize;
    std::shared_ptr<Profile> m_profile;
    QWebEnginePage *m_page = nullptr;
    bool m_printRequested = false;
    bool m_hasCompleted = false;
    QByteArray m_pdf;
    std::optional<QString> m_error;
};

} // namespace quill
