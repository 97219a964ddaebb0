#pragma once
// The program's standard message box: the text, an OK button, the program's display
// name as title.

#include <QMessageBox>
#include <QString>
#include <memory>

class QWidget;

// The message box, not yet shown. It is wide enough for a window manager's title bar to
// show the whole title beside its icon and buttons, however short the text.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text,
                                            QMessageBox::Icon icon = QMessageBox::NoIcon);

// Shows the message box modally and returns when the user has closed it.
void ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);
