#include "ui/app/loading_view.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/spinner.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quill {

LoadingView::LoadingView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("loadingView"));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, appBackgroundColor());
    setPalette(background);

    auto *indicator = new Spinner(Spinner::kRegular, this);
    auto *label = new QLabel(QStringLiteral("Loading..."), this);
    label->setAlignment(Qt::AlignCenter);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(indicator, 0, Qt::AlignHCenter);
    layout->addSpacing(metrics::small);
    layout->addWidget(label, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

} // namespace quill
