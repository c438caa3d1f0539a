#pragma once

#include <QPushButton>
#include <QWidget>

namespace quill::testing {

// The push button under `root` whose text contains `text`, as a seller finds it.
inline QPushButton *findButton(const QWidget *root, const QString &text)
{
    for (QPushButton *button : root->findChildren<QPushButton *>())
        if (button->text().contains(text))
            return button;
    return nullptr;
}

} // namespace quill::testing
