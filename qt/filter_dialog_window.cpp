// The Drawer Setup dialog window.
#include "qt/filter_dialog_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "qt/control_view.h"
#include "qt/dialog_geometry.h"
#include "qt/session.h"
#include "qt/text_edge.h"
#include "search/drawers.h"

namespace vmqt {

FilterDialogWindow::FilterDialogWindow(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), state_(session.program().frmFilter) {
    setObjectName("frmFilter");
    setModal(false);
    for (int i = 1; i <= ui::kDrawers; ++i) {
        QLabel* label = new QLabel(this);
        label->setObjectName(QStringLiteral("LabelFilter%1").arg(i));
        label->setGeometry(toPixels(state_.LabelFilter[i].rect));
        labels_[i] = label;
        QLineEdit* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtFilter%1").arg(i));
        box->setGeometry(toPixels(state_.txtFilter[i].rect));
        connect(box, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (!session_.running()) state_.txtFilter[i].text = fromQt(text);
        });
        boxes_[i] = box;
    }
    help_ = new QPlainTextEdit(this);
    help_->setObjectName("Text1");
    help_->setReadOnly(true);
    help_->setGeometry(toPixels(state_.Text1.rect));
    for (int button : {search::kDrawerClose, search::kDrawerOk}) {
        QPushButton* push = new QPushButton(this);
        push->setObjectName(QStringLiteral("buttonOK%1").arg(button));
        push->setAutoDefault(false);
        push->setGeometry(toPixels(state_.buttonOK[button].rect));
        connect(push, &QPushButton::clicked, this, [this, button] { click(button); });
        buttons_[button] = push;
    }
    setFixedSize(designSize({&state_.LabelFilter[ui::kDrawers], &state_.txtFilter[ui::kDrawers],
                             &state_.Text1, &state_.buttonOK[search::kDrawerClose],
                             &state_.buttonOK[search::kDrawerOk]}));
    connect(&session_, &Session::redrawRequested, this, &FilterDialogWindow::redraw);
    redraw();
}

void FilterDialogWindow::click(int button) {
    session_.run([button](app::Program& p) { search::buttonOK_Click(p, button); });
}

void FilterDialogWindow::reject() {
    click(search::kDrawerClose);
}

void FilterDialogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void FilterDialogWindow::redraw() {
    const QString caption = toQt(state_.caption);
    if (windowTitle() != caption) setWindowTitle(caption);
    for (int i = 1; i <= ui::kDrawers; ++i) {
        applyLabel(labels_[i], state_.LabelFilter[i]);
        const ui::TextBox& box = state_.txtFilter[i];
        applyControl(boxes_[i], box);
        if (box.maxLength > 0 && boxes_[i]->maxLength() != box.maxLength)
            boxes_[i]->setMaxLength(box.maxLength);
        const QString text = toQt(box.text);
        if (boxes_[i]->text() != text) boxes_[i]->setText(text);
    }
    applyControl(help_, state_.Text1);
    const QString help = toQt(state_.Text1.text);
    if (help_->toPlainText() != help) help_->setPlainText(help);
    for (int button : {search::kDrawerClose, search::kDrawerOk})
        applyButton(buttons_[button], state_.buttonOK[button]);

    const bool shown = state_.loaded && state_.visible;
    if (shown && !isVisible()) {
        if (!placed_) {
            centreOnScreen(this);
            placed_ = true;
        }
        show();
        raise();
        activateWindow();
    } else if (!shown && isVisible()) {
        hide();
    }
}

}  // namespace vmqt
