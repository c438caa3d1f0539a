#include "ui/designer/image_properties_view.h"

#include "common/paths.h"
#include "designer/template_image.h"
#include "ui/designer/labeled_field.h"
#include "ui/widgets/style.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace quill {

namespace {

std::optional<QString> openPanel(QWidget *parent)
{
    const QString file =
        QFileDialog::getOpenFileName(parent, QObject::tr("Choose Image"), paths::picturesFolder(),
                                     QObject::tr("Images (*.png *.jpg *.jpeg *.heic *.heif *.tif *.tiff)"));
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

QString fitLabel(ObjectFitValue fit)
{
    const QString raw = rawValue(fit);
    return raw.left(1).toUpper() + raw.mid(1);
}

// The picture within `width` and 100 points high, proportions kept, corners rounded 4 points.
QPixmap previewPixmap(const QImage &image, int width, qreal dpr)
{
    const QSizeF fitted =
        QSizeF(image.size())
            .scaled(QSizeF(width, ImagePropertiesView::kMaxPreviewHeight), Qt::KeepAspectRatio);
    QPixmap pixmap((fitted * dpr).toSize().expandedTo(QSize(1, 1)));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), fitted), 4, 4);
    painter.setClipPath(clip);
    painter.drawImage(QRectF(QPointF(0, 0), fitted), image);
    return pixmap;
}

} // namespace

ImagePropertiesView::ImagePropertiesView(LabelDesignerState &state, const QUuid &elementId,
                                         ImageFilePicker pickFile, QWidget *parent)
    : QGroupBox(tr("Image"), parent), m_binding(state, elementId),
      m_pickFile(pickFile ? std::move(pickFile) : ImageFilePicker(&openPanel)), m_preview(new QLabel(this)),
      m_choose(new QPushButton(tr("Choose Image..."), this)), m_clear(new QPushButton(tr("Clear"), this)),
      m_fit(new QComboBox(this)), m_message(new QLabel(this))
{
    auto *column = new QVBoxLayout(this);
    m_preview->setAlignment(Qt::AlignCenter);
    column->addWidget(m_preview);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_choose);
    m_clear->setObjectName(QStringLiteral("destructive"));
    buttons->addWidget(m_clear);
    buttons->addStretch(1);
    column->addLayout(buttons);
    // Holds the picked file's name: text, never markup.
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, systemColor(SystemColor::red));
    m_message->setPalette(palette);
    m_message->setFont(textFont(TextStyle::caption));
    m_message->hide();
    column->addWidget(m_message);
    for (const ObjectFitValue fit : allObjectFits())
        m_fit->addItem(fitLabel(fit), static_cast<int>(fit));
    column->addWidget(new LabeledField(tr("Fit"), m_fit, this));

    connect(m_choose, &QPushButton::clicked, this, &ImagePropertiesView::chooseImage);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_binding.writeProperties<ImageProperties>([](ImageProperties &image) { image.imageData.reset(); });
    });
    connect(m_fit, &QComboBox::activated, this, [this](int index) {
        const auto fit = static_cast<ObjectFitValue>(m_fit->itemData(index).toInt());
        m_binding.writeProperties<ImageProperties>([fit](ImageProperties &image) { image.objectFit = fit; });
    });
    connect(&state, &LabelDesignerState::templateChanged, this, &ImagePropertiesView::refresh);
    refresh();
}

void ImagePropertiesView::chooseImage()
{
    const std::optional<QString> path = m_pickFile(this);
    if (!path)
        return;
    const QString name = QFileInfo(*path).fileName();
    const auto refuse = [this](const QString &message) {
        m_message->setText(message);
        m_message->show();
    };
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(tr("Could not read %1: %2").arg(name, file.errorString()));
        return;
    }
    if (file.size() > kMaxImageBytes) {
        refuse(tr("%1 is larger than 1 MB. Choose a smaller picture.").arg(name));
        return;
    }
    const QByteArray bytes = file.read(kMaxImageBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxImageBytes) {
        refuse(bytes.size() > kMaxImageBytes
                   ? tr("%1 is larger than 1 MB. Choose a smaller picture.").arg(name)
                   : tr("Could not read %1: %2").arg(name, file.errorString()));
        return;
    }
    // Known now, not when a label prints: a file that is no picture a template takes, or
    // one that would take the template file or its print page past their limits.
    if (const std::optional<QString> problem = m_binding.state().pictureProblem(m_binding.id(), bytes)) {
        refuse(tr("%1 cannot be used: %2").arg(name, *problem));
        return;
    }
    m_message->clear();
    m_message->hide();
    m_binding.writeProperties<ImageProperties>([&bytes](ImageProperties &image) { image.imageData = bytes; });
}

void ImagePropertiesView::refresh()
{
    const ImageProperties *image = m_binding.properties<ImageProperties>();
    if (!image)
        return;
    const QImage picture = image->imageData ? decodeTemplateImage(*image->imageData) : QImage();
    if (picture.isNull()) {
        m_preview->clear();
        m_preview->hide();
    } else {
        const int width = std::max(contentsRect().width() - 24, 180);
        m_preview->setPixmap(previewPixmap(picture, width, devicePixelRatioF()));
        m_preview->show();
    }
    m_clear->setVisible(image->imageData.has_value());
    m_fit->setCurrentIndex(m_fit->findData(static_cast<int>(image->objectFit)));
}

} // namespace quill
