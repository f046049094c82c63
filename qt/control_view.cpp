// State to widgets for the simple controls.
#include "qt/control_view.h"

#include <QFontDatabase>
#include <QSignalBlocker>

#include "qt/text_edge.h"

namespace vmqt {

namespace {

QFont fontOf(const QWidget* widget, const ui::Font& font) {
    QFont qfont = widget->font();
    if (font.name == "Courier New") {
        // Where Courier New is missing, the closest fixed-pitch font.
        qfont.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                           QStringLiteral("Cousine"), QStringLiteral("Nimbus Mono PS"),
                           QStringLiteral("Courier"), QStringLiteral("DejaVu Sans Mono"),
                           QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
        qfont.setStyleHint(QFont::TypeWriter);
    } else if (!font.name.empty()) {
        qfont.setFamilies({toQt(font.name)});
    }
    if (font.size > 0) qfont.setPointSize(font.size);
    qfont.setBold(font.bold);
    return qfont;
}

QStringList itemsOf(const ui::ListBox& list) {
    QStringList items;
    for (const std::string& item : list.items)
        items << toQt(item);
    return items;
}

void setItems(QComboBox* widget, const QStringList& items) {
    QStringList shown;
    for (int i = 0; i < widget->count(); ++i)
        shown << widget->itemText(i);
    if (shown == items) return;
    widget->clear();
    widget->addItems(items);
}

}  // namespace

void applyControl(QWidget* widget, const ui::Control& control) {
    const QString tip = toQt(control.toolTip);
    if (widget->toolTip() != tip) widget->setToolTip(tip);
    if (widget->isEnabled() != control.enabled) widget->setEnabled(control.enabled);
    const QFont font = fontOf(widget, control.font);
    if (widget->font() != font) widget->setFont(font);

    QPalette palette = widget->palette();
    const QColor fore = toQColor(control.foreColour);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(role, fore);
    if (control.backColour) {
        const QColor back = toQColor(*control.backColour);
        for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
            palette.setColor(role, back);
    }
    if (widget->palette() != palette) widget->setPalette(palette);
    widget->setAutoFillBackground(control.backColour.has_value());

    // A hidden control stays hidden even while its window is shown.
    if (widget->isVisibleTo(widget->parentWidget()) != control.visible)
        widget->setVisible(control.visible);
}

void applyLabel(QLabel* widget, const ui::Label& label) {
    applyControl(widget, label);
    const QString caption = toQt(label.caption);
    if (widget->text() != caption) widget->setText(caption);
}

void applyButton(QAbstractButton* widget, const ui::Button& button) {
    applyControl(widget, button);
    const QString caption = toQt(button.caption);
    if (widget->text() != caption) widget->setText(caption);
}

void applyCheckBox(QAbstractButton* widget, const ui::CheckBox& box) {
    applyControl(widget, box);
    const QString caption = toQt(box.caption);
    if (widget->text() != caption) widget->setText(caption);
    const QSignalBlocker quiet(widget);
    widget->setChecked(box.checked);
}

void applyComboBox(QComboBox* widget, const ui::ComboBox& box) {
    applyControl(widget, box);
    const QSignalBlocker quiet(widget);
    setItems(widget, itemsOf(box));
    if (widget->currentIndex() != box.listIndex) widget->setCurrentIndex(box.listIndex);
    if (widget->isEditable()) {
        const QString text = toQt(box.text);
        if (widget->currentText() != text) widget->setEditText(text);
    }
}

void applyListBox(QComboBox* widget, const ui::ListBox& list) {
    applyControl(widget, list);
    const QSignalBlocker quiet(widget);
    setItems(widget, itemsOf(list));
    if (widget->currentIndex() != list.listIndex) widget->setCurrentIndex(list.listIndex);
}

void applyListBox(QListWidget* widget, const ui::ListBox& list) {
    applyControl(widget, list);
    const QSignalBlocker quiet(widget);
    const QStringList items = itemsOf(list);
    QStringList shown;
    for (int i = 0; i < widget->count(); ++i)
        shown << widget->item(i)->text();
    if (shown != items) {
        widget->clear();
        widget->addItems(items);
    }
    if (widget->currentRow() != list.listIndex) widget->setCurrentRow(list.listIndex);
}

}  // namespace vmqt
