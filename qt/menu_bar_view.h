// The main window's menu bar, built from the menu tree of the state: one
// QMenu per menu and submenu, one QAction per command entry, separators,
// shortcut keys. It reports what the user picks and which menu opens; the
// window routes both to the program.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "ui/main_menu.h"

class QAction;
class QMenu;
class QMenuBar;

namespace vmqt {

class MenuBarView : public QObject {
    Q_OBJECT

  public:
    MenuBarView(const ui::MainMenu& menu, QMenuBar* bar);

    // Captions, check marks, enabled and visible flags from the state.
    void redraw(const ui::MainMenu& menu);

    // The action of a command entry, or the menu of a menu entry; nullptr
    // for another name.
    QAction* action(const QString& name) const { return actions_.value(name); }
    QMenu* menu(const QString& name) const { return menus_.value(name); }

  signals:
    void triggered(const QString& name);
    void opening(const QString& name);

  private:
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
};

}  // namespace vmqt
