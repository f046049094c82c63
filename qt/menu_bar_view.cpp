// Building and redrawing the menu bar.
#include "qt/menu_bar_view.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "qt/text_edge.h"

namespace vmqt {

MenuBarView::MenuBarView(const ui::MainMenu& state, QMenuBar* bar) : QObject(bar) {
    const auto nodes = state.tree();
    QMenu* menu = nullptr;
    QMenu* submenu = nullptr;
    auto watchOpening = [this](QMenu* opened, const QString& name) {
        connect(opened, &QMenu::aboutToShow, this, [this, name] { emit opening(name); });
    };
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const ui::MenuEntry* entry = nodes[i].entry;
        const int level = nodes[i].level;
        if (entry == nullptr) {
            QMenu* target = level == 2 && submenu != nullptr ? submenu : menu;
            if (target != nullptr) target->addSeparator();
            continue;
        }
        const QString name = QString::fromStdString(entry->name);
        const QString caption = toQt(entry->caption);
        const bool opensSubmenu = level == 1 && i + 1 < nodes.size() && nodes[i + 1].level == 2;
        if (level == 0) {
            menu = bar->addMenu(caption);
            submenu = nullptr;
            menu->setObjectName(name);
            menus_.insert(name, menu);
            watchOpening(menu, name);
        } else if (opensSubmenu && menu != nullptr) {
            submenu = menu->addMenu(caption);
            submenu->setObjectName(name);
            menus_.insert(name, submenu);
            watchOpening(submenu, name);
        } else {
            QMenu* target = level == 2 && submenu != nullptr ? submenu : menu;
            if (target == nullptr) continue;
            QAction* action = target->addAction(caption);
            action->setObjectName(name);
            if (!entry->shortcut.empty())
                action->setShortcut(QKeySequence(QString::fromStdString(entry->shortcut)));
            connect(action, &QAction::triggered, this, [this, name] { emit triggered(name); });
            actions_.insert(name, action);
        }
    }
    redraw(state);
}

void MenuBarView::redraw(const ui::MainMenu& state) {
    for (const auto& node : state.tree()) {
        const ui::MenuEntry* entry = node.entry;
        if (entry == nullptr) continue;
        const QString name = QString::fromStdString(entry->name);
        const QString caption = toQt(entry->caption);
        if (QMenu* menu = menus_.value(name)) {
            if (menu->title() != caption) menu->setTitle(caption);
            menu->menuAction()->setEnabled(entry->enabled);
            menu->menuAction()->setVisible(entry->visible);
        } else if (QAction* action = actions_.value(name)) {
            if (action->text() != caption) action->setText(caption);
            action->setCheckable(entry->checked);
            action->setChecked(entry->checked);
            action->setEnabled(entry->enabled);
            action->setVisible(entry->visible);
        }
    }
}

}  // namespace vmqt
