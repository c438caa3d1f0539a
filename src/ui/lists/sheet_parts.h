#pragma once

#include <QSize>
#include <QString>

class QDialog;
#include <QFrame>
class QHBoxLayout;
class QVBoxLayout;
class QPushButton;
class QWidget;

namespace quill {

// The header every sheet of the lists opens with: its title in the headline font, and
// a small bordered "Close" button that closes the sheet.
QHBoxLayout *sheetHeader(QDialog &sheet, const QString &title, QPushButton **closeButton);
// Sets a sheet up as every sheet of the lists is: deleted when closed, at least
// `minimum` large, with the header and a divider in its vertical layout, which it returns.
QVBoxLayout *setUpSheet(QDialog &sheet, const QString &objectName, const QString &title, QSize minimum,
                        QPushButton **closeButton);
// A one-point line across a sheet or panel.
QFrame *sheetDivider(QWidget *parent);

} // namespace quill
