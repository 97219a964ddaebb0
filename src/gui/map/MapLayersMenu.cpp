#include "gui/map/MapLayersMenu.h"

#include <QActionGroup>
#include <QSignalBlocker>

#include "core/trans/TransFactory.h"
#include "gui/map/MapLayers.h"

namespace {

QAction* FindAction(const QActionGroup* group, const QString& name) {
  for (QAction* action : group->actions())
    if (action->text() == name) return action;
  return nullptr;
}

}  // namespace

CMapLayersMenu::CMapLayersMenu(CMapLayers& layers, QWidget* parent) : QMenu(parent), m_layers(layers) {
  m_coverage = AddLayerToggle(tr("Grid coverage"), [this](bool on) { m_layers.SetCoverage(on); });
  m_separation = AddLayerToggle(tr("Separation"), [this](bool on) { m_layers.SetSeparation(on); });
  m_from = AddReferenceMenu(tr("Separation from"), [this](const std::string& name) { m_layers.SetFrom(name); });
  m_to = AddReferenceMenu(tr("Separation to"), [this](const std::string& name) { m_layers.SetTo(name); });
  addSeparator();
  m_save = addAction(tr("Save map as PNG..."));
  connect(m_save, &QAction::triggered, this, &CMapLayersMenu::SaveRequested);
  connect(this, &QMenu::aboutToShow, this, &CMapLayersMenu::ShowSettings);
  ShowSettings();
}

QAction* CMapLayersMenu::AddLayerToggle(const QString& text, std::function<void(bool)> set) {
  QAction* action = addAction(text);
  action->setCheckable(true);
  connect(action, &QAction::toggled, this, [this, set = std::move(set)](bool on) {
    set(on);
    emit LayersChanged();
  });
  return action;
}

QActionGroup* CMapLayersMenu::AddReferenceMenu(const QString& title, std::function<void(const std::string&)> set) {
  QMenu* menu = addMenu(title);
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  for (const std::string& name : CTransFactory::Instance().GetNames()) {
    QAction* action = menu->addAction(QString::fromStdString(name));
    action->setCheckable(true);
    group->addAction(action);
  }
  connect(group, &QActionGroup::triggered, this, [this, set = std::move(set)](QAction* action) {
    set(action->text().toStdString());
    emit LayersChanged();
  });
  return group;
}

QAction* CMapLayersMenu::FromAction(const QString& name) const { return FindAction(m_from, name); }
QAction* CMapLayersMenu::ToAction(const QString& name) const { return FindAction(m_to, name); }

void CMapLayersMenu::ShowSettings() {
  // Showing the settings changes none of them.
  const QSignalBlocker coverage(m_coverage), separation(m_separation);
  m_coverage->setChecked(m_layers.IsCoverageOn());
  m_separation->setChecked(m_layers.IsSeparationOn());
  if (QAction* from = FromAction(QString::fromStdString(m_layers.GetFrom()))) from->setChecked(true);
  if (QAction* to = ToAction(QString::fromStdString(m_layers.GetTo()))) to->setChecked(true);
}
