#pragma once

class QFrame;
class QWidget;

namespace quill {

// The thin horizontal line between a header and what follows it: the secondary text
// colour at 30 %, faint on the dark look (a bare frame line takes the full text colour).
QFrame *separatorLine(QWidget *parent);

} // namespace quill
