#include "gui/map/MapLayersMenu.h"

#include <QActionGroup>
#include <QSignalBlocker>

#include "gui/map/MapLayers.h"

namespace {

QAction* FindAction(const QActionGroup* group, const QString& name) {
  for (QAction* action : group->actions())
    if (action->text() == name) return action;
  return nullptr;
}

}  // namespace

CMapLayersMenu::CMapLayersMenu(CMapLayers& layers, QWidget* parent) : QMenu(parent) {
  for (const auto& layer : layers.All()) m_toggles.push_back({layer.get(), AddLayerToggle(*layer)});
  for (const auto& layer : layers.All()) {
    for (CMapLayerChoice& choice : layer->Choices()) AddChoiceMenu(std::move(choice));
  }
  addSeparator();
  m_save = addAction(tr("Save map as PNG..."));
  connect(m_save, &QAction::triggered, this, &CMapLayersMenu::SaveRequested);
  connect(this, &QMenu::aboutToShow, this, &CMapLayersMenu::ShowSettings);
  ShowSettings();
}

QAction* CMapLayersMenu::AddLayerToggle(CMapLayer& layer) {
  QAction* action = addAction(QString::fromUtf8(layer.Name()));
  action->setCheckable(true);
  connect(action, &QAction::toggled, this, [this, &layer](bool on) {
    layer.SetOn(on);
    emit LayersChanged();
  });
  return action;
}

void CMapLayersMenu::AddChoiceMenu(CMapLayerChoice choice) {
  QMenu* menu = addMenu(QString::fromUtf8(choice.name));
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  for (const std::string& option : choice.options) {
    QAction* action = menu->addAction(QString::fromStdString(option));
    action->setCheckable(true);
    group->addAction(action);
  }
  connect(group, &QActionGroup::triggered, this, [this, choose = std::move(choice.choose)](QAction* action) {
    choose(action->text().toStdString());
    emit LayersChanged();
  });
  m_choices.push_back({menu->title(), group, std::move(choice.current)});
}

QAction* CMapLayersMenu::LayerAction(const QString& name) const {
  for (const Toggle& toggle : m_toggles)
    if (toggle.action->text() == name) return toggle.action;
  return nullptr;
}

QAction* CMapLayersMenu::ChoiceAction(const QString& choice, const QString& option) const {
  for (const Choice& entry : m_choices)
    if (entry.name == choice) return FindAction(entry.group, option);
  return nullptr;
}

QAction* CMapLayersMenu::CoverageAction() const { return LayerAction(CCoverageLayer::kName); }
QAction* CMapLayersMenu::SeparationAction() const { return LayerAction(CSeparationLayer::kName); }
QAction* CMapLayersMenu::FromAction(const QString& name) const {
  return ChoiceAction(CSeparationLayer::kFromKey, name);
}
QAction* CMapLayersMenu::ToAction(const QString& name) const { return ChoiceAction(CSeparationLayer::kToKey, name); }

void CMapLayersMenu::ShowSettings() {
  // Showing the settings changes none of them.
  for (const Toggle& toggle : m_toggles) {
    const QSignalBlocker blocker(toggle.action);
    toggle.action->setChecked(toggle.layer->IsOn());
  }
  for (const Choice& choice : m_choices)
    if (QAction* action = FindAction(choice.group, QString::fromStdString(choice.current()))) action->setChecked(true);
}
