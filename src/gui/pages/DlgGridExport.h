#pragma once
// "Export for PROJ": what to export from the grid, either the offset between two
// references (the values PROJ is given, and the reference it carries them to) or one
// surface's height above the ellipsoid. The sign convention is the main window's; the
// dialog says which it is.

#include <QDialog>

#include "core/trans/ShiftGridDefinition.h"

class QComboBox;
class QRadioButton;

class CDlgGridExport : public QDialog {
  Q_OBJECT

 public:
  // `sign` as CTransBase::s_sign: +1 heights positive up, -1 depths positive down.
  explicit CDlgGridExport(double sign, QWidget* parent = nullptr);

  // The choice in the dialog.
  CShiftGridDefinition GetDefinition() const;

  QRadioButton* BetweenButton() const { return m_between; }
  QRadioButton* SurfaceButton() const { return m_surface; }
  QComboBox* FromBox() const { return m_from; }
  QComboBox* ToBox() const { return m_to; }
  QComboBox* SurfaceBox() const { return m_surfaceBox; }

 private:
  double m_sign;
  QRadioButton* m_between;
  QRadioButton* m_surface;
  QComboBox* m_from;
  QComboBox* m_to;
  QComboBox* m_surfaceBox;
};
