#pragma once
// The coast map's "Layers" menu: the two grid layers on and off, the two references of
// the separation, and saving the map as a picture. It changes the settings of a
// CMapLayers and tells its window through signals.

#include <QMenu>
#include <functional>
#include <string>

class CMapLayers;
class QAction;
class QActionGroup;

class CMapLayersMenu : public QMenu {
  Q_OBJECT

 public:
  // `layers` is not owned and must outlive the menu.
  CMapLayersMenu(CMapLayers& layers, QWidget* parent);

  QAction* CoverageAction() const { return m_coverage; }
  QAction* SeparationAction() const { return m_separation; }
  QAction* SaveAction() const { return m_save; }
  // The entry of reference `name` in the "Separation from" or "Separation to" submenu.
  QAction* FromAction(const QString& name) const;
  QAction* ToAction(const QString& name) const;
  // Shows the settings as they are now (they are read after the menu is made; the menu
  // also shows them again each time it opens).
  void ShowSettings();

 signals:
  // A layer was switched or a reference chosen: the map needs drawing again.
  void LayersChanged();
  void SaveRequested();

 private:
  // A checkable entry that calls `set` with its new state.
  QAction* AddLayerToggle(const QString& text, std::function<void(bool)> set);
  // A submenu listing the references, calling `set` with the name chosen.
  QActionGroup* AddReferenceMenu(const QString& title, std::function<void(const std::string&)> set);

  CMapLayers& m_layers;
  QAction* m_coverage;
  QAction* m_separation;
  QActionGroup* m_from;
  QActionGroup* m_to;
  QAction* m_save;
};
