// Printing through QPrinter and QPainter, with the print position kept in
// twips and turned into printer dots only when text is drawn.
#include "qt/qt_printer.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "qt/text_edge.h"

namespace vmqt {

namespace {

constexpr double kTwipsPerPoint = 20;
constexpr double kTwipsPerInch = 1440;

}  // namespace

QtPrinter::QtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    const QPrinterInfo fallback = QPrinterInfo::defaultPrinter().isNull()
                                      ? QPrinterInfo::availablePrinters().value(0)
                                      : QPrinterInfo::defaultPrinter();
    if (!fallback.isNull()) printer_->setPrinterName(fallback.printerName());
}

QtPrinter::QtPrinter(const QString& pdfPath)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), toPdf_(true) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(pdfPath);
}

QtPrinter::~QtPrinter() {
    if (painter_) painter_->end();
}

bool QtPrinter::available() {
    return toPdf_ || !QPrinterInfo::availablePrinters().isEmpty();
}

double QtPrinter::pageWidth() {
    return printer_->pageLayout().paintRect(QPageLayout::Point).width() * kTwipsPerPoint;
}

double QtPrinter::pageHeight() {
    return printer_->pageLayout().paintRect(QPageLayout::Point).height() * kTwipsPerPoint;
}

void QtPrinter::setOrigin(double left, double top) {
    originX_ = left;
    originY_ = top;
}

void QtPrinter::setPosition(double x, double y) {
    x_ = x;
    y_ = y;
}

void QtPrinter::setFontSize(double points) {
    if (points > 0) font_.setPointSizeF(points);
    if (painter_) painter_->setFont(font_);
}

void QtPrinter::setBold(bool bold) {
    font_.setBold(bold);
    if (painter_) painter_->setFont(font_);
}

double QtPrinter::dotsPerTwip() const {
    return printer_->resolution() / kTwipsPerInch;
}

double QtPrinter::lineHeight() const {
    return QFontMetricsF(font_, printer_.get()).lineSpacing() / dotsPerTwip();
}

double QtPrinter::textWidth(std::string_view text) {
    // What a text adds to the current line: the part before its first break.
    const QString line = toQt(text).section(QLatin1Char('\n'), 0, 0);
    return QFontMetricsF(font_, printer_.get()).horizontalAdvance(line) / dotsPerTwip();
}

bool QtPrinter::begin() {
    if (painter_) return true;
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer_.get())) return false;
    painter->setFont(font_);
    painter_ = std::move(painter);
    pages_ = 1;
    return true;
}

void QtPrinter::printPiece(const QString& piece) {
    if (piece.isEmpty() || !begin()) return;
    const double scale = dotsPerTwip();
    const QFontMetricsF metrics(font_, printer_.get());
    const QPointF baseline((originX_ + x_) * scale, (originY_ + y_) * scale + metrics.ascent());
    painter_->drawText(baseline, piece);
    x_ += metrics.horizontalAdvance(piece) / scale;
}

void QtPrinter::print(std::string_view text) {
    const QStringList lines = toQt(text).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            endLine();
            if (originY_ + y_ + lineHeight() > pageHeight()) newPage();
        }
        printPiece(lines[i]);
    }
}

void QtPrinter::endLine() {
    x_ = 0;
    y_ += lineHeight();
}

void QtPrinter::newPage() {
    if (!begin()) return;
    printer_->newPage();
    ++pages_;
    x_ = 0;
    y_ = 0;
}

void QtPrinter::endDocument() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    originX_ = originY_ = 0;
    x_ = y_ = 0;
}

}  // namespace vmqt
