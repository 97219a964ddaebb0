#include "support/CutTexts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QStringList>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

namespace {

// The widest line of `text` in the widget's font.
int TextWidth(const QWidget* widget, const QString& text) {
  int width = 0;
  for (const QString& line : text.split('\n')) width = qMax(width, widget->fontMetrics().horizontalAdvance(line));
  return width;
}

// The room a control's style gives its text, in pixels.
int ButtonRoom(const QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  const auto element =
      qobject_cast<const QCheckBox*>(button) ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents;
  return button->style()->subElementRect(element, &option, button).width();
}

int ComboRoom(const QComboBox* combo) {
  QStyleOptionComboBox option;
  option.initFrom(combo);
  return combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo).width();
}

}  // namespace

std::string CutTexts(const QWidget* window) {
  QStringList found;
  auto check = [&found](const QString& text, int needed, int room) {
    if (!text.isEmpty() && needed > room)
      found << QStringLiteral("\"%1\" needs %2, has %3").arg(text).arg(needed).arg(room);
  };
  for (const QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window)) continue;
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
      if (!label->wordWrap())
        check(label->text(), TextWidth(label, label->text()),
              label->contentsRect().width() - 2 * (label->margin() + qMax(0, label->indent())));
    } else if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
      check(button->text(), TextWidth(button, button->text()), ButtonRoom(button));
    } else if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
      for (int i = 0; i < combo->count(); ++i)  // any entry may be the selected one
        check(combo->itemText(i), TextWidth(combo, combo->itemText(i)), ComboRoom(combo));
    } else if (auto* header = qobject_cast<const QHeaderView*>(widget)) {
      for (int i = 0; i < header->count(); ++i)
        check(header->model()->headerData(i, header->orientation()).toString(), header->sectionSizeHint(i),
              header->sectionSize(i));
    }
  }
  return found.join('\n').toStdString();
}
