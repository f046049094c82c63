// The default printer as the print routine drives it: a page in twips
// (1/1440 inch) with a print position, a font, and text laid out piece by
// piece, line by line and page by page.
//
// Coordinates: setOrigin(left, top) places the point (0, 0) that far right of
// and below the printable page's top-left corner; the print position and the
// page size are then read in twips, the position relative to that point.
// Ending a line moves the position to x = 0 on the next line; a new page
// moves it to (0, 0) of the next page. Nothing is sent to the printer before
// endDocument().
#pragma once

#include <string_view>

namespace platform {

class Printer {
  public:
    virtual ~Printer() = default;

    // False when the machine has no printer to print on.
    virtual bool available() = 0;

    virtual double pageWidth() = 0;   // width of the printable page, twips
    virtual double pageHeight() = 0;  // height of the printable page, twips
    virtual void setOrigin(double left, double top) = 0;

    virtual double currentX() = 0;
    virtual double currentY() = 0;
    virtual void setPosition(double x, double y) = 0;

    virtual void setFontSize(double points) = 0;
    virtual void setBold(bool bold) = 0;
    // Width of text, cp1252, in the current font, twips.
    virtual double textWidth(std::string_view text) = 0;

    // Prints text at the print position without ending the line; the
    // position moves right by the text's width.
    virtual void print(std::string_view text) = 0;
    virtual void endLine() = 0;
    virtual void newPage() = 0;
    // Ends the document and sends it to the printer.
    virtual void endDocument() = 0;
};

}  // namespace platform
