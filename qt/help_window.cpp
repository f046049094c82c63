// The help viewer window.
#include "qt/help_window.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vmqt {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName("helpWindow");
    setWindowTitle(tr("Vellumark Help"));
    setModal(false);
    browser_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

void HelpWindow::showFile(const QString& path) {
    if (QFileInfo(path).isFile()) {
        browser_->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
        browser_->verticalScrollBar()->setValue(0);
    } else {
        browser_->setHtml(tr("<p>The help file <b>%1</b> cannot be found.</p>"
                             "<p>It belongs in the program's folder, beside the program.</p>")
                              .arg(path.toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
}

}  // namespace vmqt
