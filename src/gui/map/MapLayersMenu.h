#pragma once
// The coast map's "Layers" menu: an entry for each layer of a CMapLayers, to switch it
// on and off, then a submenu for each of the layers' choices (the two references of the
// separation), and saving the map as a picture. It changes the layers' settings and
// tells its window through signals.

#include <QMenu>
#include <functional>
#include <string>
#include <vector>

#include "gui/map/MapLayer.h"

class CMapLayers;
class QAction;
class QActionGroup;

class CMapLayersMenu : public QMenu {
  Q_OBJECT

 public:
  // `layers` is not owned and must outlive the menu; the menu lists the layers it holds now.
  CMapLayersMenu(CMapLayers& layers, QWidget* parent);

  // The entry that switches the layer called `name`, or that of option `option` in the
  // submenu of the choice called `choice`; null when there is none.
  QAction* LayerAction(const QString& name) const;
  QAction* ChoiceAction(const QString& choice, const QString& option) const;
  QAction* CoverageAction() const;
  QAction* SeparationAction() const;
  QAction* SaveAction() const { return m_save; }
  // The entry of reference `name` in the "Separation from" or "Separation to" submenu.
  QAction* FromAction(const QString& name) const;
  QAction* ToAction(const QString& name) const;
  // Shows the settings as they are now (they are read after the menu is made; the menu
  // also shows them again each time it opens).
  void ShowSettings();

 signals:
  // A layer was switched or a choice made: the map needs drawing again.
  void LayersChanged();
  void SaveRequested();

 private:
  struct Toggle {
    CMapLayer* layer;
    QAction* action;
  };
  struct Choice {
    QString name;
    QActionGroup* group;
    std::function<std::string()> current;
  };

  QAction* AddLayerToggle(CMapLayer& layer);
  void AddChoiceMenu(CMapLayerChoice choice);

  std::vector<Toggle> m_toggles;
  std::vector<Choice> m_choices;
  QAction* m_save;
};
