#include "ui/app/loading_view.h"

#include "ui/widgets/palette.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace quill {

LoadingView::LoadingView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("loadingView"));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, appBackgroundColor());
    setPalette(background);

    // A busy bar until the widget kit's spinner takes its place.
    auto *indicator = new QProgressBar(this);
    indicator->setRange(0, 0);
    indicator->setTextVisible(false);
    indicator->setFixedSize(120, 6);
    auto *label = new QLabel(QStringLiteral("Loading..."), this);
    label->setAlignment(Qt::AlignCenter);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(indicator, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(label, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

} // namespace quill
