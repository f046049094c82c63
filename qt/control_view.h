// Drawing the plain-state controls of ui/ onto Qt widgets: what every
// control shares (tooltip, visibility, enabled flag, font, colours) and the
// contents of labels, buttons, check boxes and lists. Geometry is the
// window's own business, as its layout may stretch controls.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include "ui/controls.h"

namespace vmqt {

// Tooltip, visibility, enabled flag, font and colours.
void applyControl(QWidget* widget, const ui::Control& control);

void applyLabel(QLabel* widget, const ui::Label& label);
void applyButton(QAbstractButton* widget, const ui::Button& button);
void applyCheckBox(QAbstractButton* widget, const ui::CheckBox& box);

// Items and selection; an editable box also shows the state's text. Emits
// no signals, so only the user's own choices reach the program.
void applyComboBox(QComboBox* widget, const ui::ComboBox& box);

// Items and the selected row, in a list or a drop-down list; emits no
// signals.
void applyListBox(QListWidget* widget, const ui::ListBox& list);
void applyListBox(QComboBox* widget, const ui::ListBox& list);

}  // namespace vmqt
