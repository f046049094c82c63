// The printer through Qt: the default printer, or a PDF file for tests and
// for machines without one. Positions and sizes are in twips; the page is
// the printable area of the paper, and setOrigin moves the point (0, 0) into
// it. Nothing is sent before endDocument(), and a document with nothing
// printed sends nothing.
//
// A line break inside printed text ends the line there, and a line that
// would run off the foot of the page starts a new page.
#pragma once

#include <QFont>
#include <QString>
#include <memory>

#include "platform/printer.h"

class QPainter;
class QPrinter;

namespace vmqt {

class QtPrinter : public platform::Printer {
  public:
    // The default printer.
    QtPrinter();
    // A PDF file at pdfPath instead of a printer.
    explicit QtPrinter(const QString& pdfPath);
    ~QtPrinter() override;

    bool available() override;
    double pageWidth() override;
    double pageHeight() override;
    void setOrigin(double left, double top) override;
    double currentX() override { return x_; }
    double currentY() override { return y_; }
    void setPosition(double x, double y) override;
    void setFontSize(double points) override;
    void setBold(bool bold) override;
    double textWidth(std::string_view text) override;
    void print(std::string_view text) override;
    void endLine() override;
    void newPage() override;
    void endDocument() override;

    // Pages of the last document sent (or of the one being laid out).
    int pagesPrinted() const { return pages_; }

  private:
    double dotsPerTwip() const;
    double lineHeight() const;  // twips
    bool begin();
    void printPiece(const QString& piece);

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    bool toPdf_ = false;
    QFont font_;
    double originX_ = 0;  // twips from the printable area's top-left corner
    double originY_ = 0;
    double x_ = 0;  // print position, twips from the origin
    double y_ = 0;
    int pages_ = 0;
};

}  // namespace vmqt
