#include "support/CutTexts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTableView>

namespace {

// The widest line of `text` and the height of all its lines, in `metrics`.
QSize TextSize(const QFontMetrics& metrics, const QString& text) {
  int width = 0;
  const QStringList lines = text.split('\n');
  for (const QString& line : lines) width = qMax(width, metrics.horizontalAdvance(line));
  return QSize(width, metrics.height() * static_cast<int>(lines.size()));
}

QString Finding(const QString& text, QSize needed, QSize room) {
  return QStringLiteral("\"%1\" needs %2x%3, has %4x%5")
      .arg(text)
      .arg(needed.width())
      .arg(needed.height())
      .arg(room.width())
      .arg(room.height());
}

void Check(QStringList& found, const QString& text, QSize needed, QRect room) {
  if (needed.width() > room.width() || needed.height() > room.height()) found << Finding(text, needed, room.size());
}

void CheckLabel(QStringList& found, const QLabel* label) {
  if (label->text().isEmpty() || label->wordWrap()) return;
  const int inset = label->margin() + qMax(0, label->indent());
  Check(found, label->text(), TextSize(label->fontMetrics(), label->text()),
        label->contentsRect().adjusted(inset, 0, -inset, 0));
}

void CheckButton(QStringList& found, const QAbstractButton* button) {
  if (button->text().isEmpty()) return;
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const bool check = qobject_cast<const QCheckBox*>(button) != nullptr;
  const QRect room = button->style()->subElementRect(
      check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
  Check(found, button->text(), TextSize(button->fontMetrics(), button->text()), room);
}

void CheckCombo(QStringList& found, const QComboBox* combo) {
  QStyleOptionComboBox option;
  option.initFrom(combo);
  const QRect room = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
  // Any entry may be the selected one.
  for (int i = 0; i < combo->count(); ++i) {
    const QString text = combo->itemText(i);
    Check(found, text, QSize(combo->fontMetrics().horizontalAdvance(text), combo->fontMetrics().height()), room);
  }
}

void CheckHeader(QStringList& found, const QHeaderView* header) {
  if (header->isHidden()) return;
  for (int i = 0; i < header->count(); ++i) {
    const QString text = header->model()->headerData(i, header->orientation()).toString();
    const int needed = header->sectionSizeHint(i);
    if (needed > header->sectionSize(i))
      found << Finding(text, QSize(needed, 0), QSize(header->sectionSize(i), 0)) + " (header section)";
  }
}

// Cells measured as the view draws them, margins included.
void CheckTable(QStringList& found, const QTableView* table) {
  const QAbstractItemView* view = table;  // the size hints are public here
  for (int column = 0; column < table->model()->columnCount(); ++column) {
    if (table->isColumnHidden(column) || table->model()->rowCount() == 0) continue;
    if (view->sizeHintForColumn(column) > table->columnWidth(column))
      found << Finding(table->model()->headerData(column, Qt::Horizontal).toString(),
                       QSize(view->sizeHintForColumn(column), 0), QSize(table->columnWidth(column), 0)) +
                   " (cells)";
  }
}

}  // namespace

std::string CutTexts(const QWidget* window) {
  QStringList found;
  for (const QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window)) continue;
    if (auto* label = qobject_cast<const QLabel*>(widget))
      CheckLabel(found, label);
    else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
      CheckButton(found, button);
    else if (auto* combo = qobject_cast<const QComboBox*>(widget))
      CheckCombo(found, combo);
    else if (auto* header = qobject_cast<const QHeaderView*>(widget))
      CheckHeader(found, header);
    else if (auto* table = qobject_cast<const QTableView*>(widget))
      CheckTable(found, table);
  }
  return found.join('\n').toStdString();
}
