#include "ui/lists/sheet_parts.h"

#include "ui/lists/live_list_texts.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quill {

QHBoxLayout *sheetHeader(QDialog &sheet, const QString &title, QPushButton **closeButton)
{
    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::insets(metrics::large));
    QLabel *label = styledLabel(oneLine(title), textFont(TextStyle::headline), primaryTextColor(), &sheet);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QStringLiteral("sheetTitle"));
    // A long name is cut at the sheet's edge rather than widening it.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    header->addWidget(label, 1);
    auto *close = new QPushButton(QStringLiteral("Close"), &sheet);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setFont(textFont(TextStyle::caption));
    close->setAutoDefault(false);
    QObject::connect(close, &QPushButton::clicked, &sheet, &QDialog::reject);
    header->addWidget(close);
    if (closeButton)
        *closeButton = close;
    return header;
}

QVBoxLayout *setUpSheet(QDialog &sheet, const QString &objectName, const QString &title, QSize minimum,
                        QPushButton **closeButton)
{
    sheet.setObjectName(objectName);
    sheet.setAttribute(Qt::WA_DeleteOnClose);
    sheet.setWindowTitle(oneLine(title));
    sheet.setMinimumSize(minimum);
    auto *layout = new QVBoxLayout(&sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(sheetHeader(sheet, title, closeButton));
    layout->addWidget(sheetDivider(&sheet));
    return layout;
}

QFrame *sheetDivider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, quaternaryFillColor());
    line->setPalette(palette);
    return line;
}

} // namespace quill
